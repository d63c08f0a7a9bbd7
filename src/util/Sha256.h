// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// SHA-256 with the processor's own instructions for it (the SHA extensions
// of x86 processors), about ten times as fast as Qt's portable one: a run
// that tells repeats by their content reads every image whole. Only where
// accelerated() is true; elsewhere a caller picks another hash.
class Sha256
{
public:
    Sha256();

    void addData(QByteArrayView data);
    // The 32 bytes of the digest; the object is spent.
    QByteArray result();

    // True when this processor has the instructions.
    static bool accelerated();

private:
    void blocks(const unsigned char* data, qsizetype count);

    quint32 m_state[8];
    unsigned char m_pending[64];
    qsizetype m_pendingBytes = 0;
    quint64 m_length = 0; // in bytes
};
