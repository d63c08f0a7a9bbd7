// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <functional>

// The images of one page as the extractor decodes them. An extractor asked
// to keep JPEG images writes them as they are stored, and nothing here reads
// JPEG data; where such an image, or its mask, is to be made one picture
// with the other, the extractor works on its page once more without being
// asked to, into a folder of its own, and its files of that page serve.
class DecodedPage
{
public:
    // extract(page, prefix) runs the extractor on that page alone, writing
    // prefix-000.ppm and so on; false when it failed.
    using Extract = std::function<bool(int page, const QString& prefix)>;

    // folder: where the pages go, made when first needed and removed, with
    // all that is in it, when this object goes.
    DecodedPage(QString folder, Extract extract);
    ~DecodedPage();
    DecodedPage(const DecodedPage&) = delete;
    DecodedPage& operator=(const DecodedPage&) = delete;

    // The decoded file of image number indexOnPage of page page; empty when
    // there is none. A page other than the last one asked for is extracted
    // first, in place of the last.
    QString file(int page, qsizetype indexOnPage);

private:
    void clear();

    QString m_folder;
    Extract m_extract;
    int m_page = 0; // the page whose files are there; 0: none
};
