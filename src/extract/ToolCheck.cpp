// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ToolCheck.h"

#include "ExtractRun.h"
#include "Shell32.h"

#include <QTemporaryDir>

namespace ToolCheck {

QList<Said> check(const ToolLocator::Tools& tools, const Confinement& confinement)
{
    // Both tools name their version on the first line of their error
    // channel, and end well.
    QTemporaryDir work;
    const Confinement own = confinement.inWorkFolder(work.path());
    const QList<Shell32::Outcome> outcomes =
        Shell32::runAllAndWait({{tools.extractor, {QStringLiteral("-v")}, false, own},
                                {tools.encoder, {QStringLiteral("-version")}, false, own}},
                               Shell32::WindowStyle::Hidden);
    const QString how = confinement.isOn() ? QStringLiteral(" confined") : QString();
    QList<Said> said;
    for (const Shell32::Outcome& outcome : outcomes) {
        Said one;
        const QString words = QString::fromLocal8Bit(outcome.errorOutput);
        one.version = words.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (outcome.result == Shell32::startErrorResult(Shell32::StartError::NotConfined))
            one.problem = QStringLiteral("cannot be confined (%1)").arg(words.trimmed());
        else if (const QString loader = ExtractRun::loaderWords(outcome.result, outcome.errorOutput); !loader.isEmpty())
            one.problem = QStringLiteral("cannot start%1: its loader said \"%2\"").arg(how, loader);
        else if (!outcome.started)
            one.problem = QStringLiteral("cannot be started");
        else if (outcome.result != 0)
            one.problem = QStringLiteral("does not run%1 (exit code %2)").arg(how).arg(outcome.result);
        if (!one.problem.isEmpty())
            one.version.clear();
        said.append(one);
    }
    return said;
}

QString problem(const ToolLocator::Tools& tools, const Confinement& confinement)
{
    const QList<Said> said = check(tools, confinement);
    const QString roles[] = {QStringLiteral("the image extractor"), QStringLiteral("the JPEG encoder")};
    const QString programs[] = {tools.extractor, tools.encoder};
    for (int i = 0; i < 2; ++i)
        if (!said.value(i).problem.isEmpty())
            return QStringLiteral("%1 %2 %3").arg(roles[i], programs[i], said.value(i).problem);
    return QString();
}

} // namespace ToolCheck
