// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommandLine.h"

#include "util/PathBytes.h"

#include <QCommandLineParser>
#include <QFile>

#include <optional>

namespace {

struct Options {
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FOLDER")};
    QCommandLineOption nul{QStringLiteral("0")};
    QCommandLineOption keepJpeg{QStringLiteral("keep-jpeg")};
    QCommandLineOption noMasks{QStringLiteral("no-masks")};
    QCommandLineOption masks{QStringLiteral("masks"), QString(), QStringLiteral("WAY")};
    QCommandLineOption noTiny{QStringLiteral("no-tiny")};
    QCommandLineOption noRepeats{QStringLiteral("no-repeats")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QString(), QStringLiteral("N")};
    QCommandLineOption manifest{QStringLiteral("manifest"), QString(), QStringLiteral("FILE")};
    QCommandLineOption timeout{QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}};
    QCommandLineOption noConfinement{QStringLiteral("no-confinement")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};
};

// The error that kept arguments from being read, in one line.
QString parseError(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // Named as it was written, with its dashes.
        const QString& name = unknown.constFirst();
        return QStringLiteral("unknown option '%1%2'").arg(name.size() == 1 ? "-" : "--", name);
    }
    // Qt's words, without the full stop that ends them.
    QString error = parser.errorText().toLower();
    if (error.endsWith(QLatin1Char('.')))
        error.chop(1);
    return error;
}

// What --masks names, the words of the window's menu.
std::optional<ExtractChoices::Masks> masksWay(const QString& word)
{
    using Masks = ExtractChoices::Masks;
    for (const auto& [name, way] :
         {std::pair{"save", Masks::Save}, std::pair{"leave-out", Masks::LeaveOut}, std::pair{"apply", Masks::Apply}})
        if (word == QLatin1String(name))
            return way;
    return std::nullopt;
}

// What is wrong with arguments that were read; jobs and timeout are --jobs
// and --timeout as given.
QString usageProblem(const CommandLine& line, const QString& jobs, const QString& timeout)
{
    if (!jobs.isNull() && (line.jobs < 1 || line.jobs > CommandLine::kMostJobs))
        return QStringLiteral("--jobs needs a whole number from 1 to %1, not '%2'")
            .arg(CommandLine::kMostJobs)
            .arg(jobs);
    if (!timeout.isNull() && (line.timeLimit < 1 || line.timeLimit > CommandLine::kLongestTimeLimit))
        return QStringLiteral("--timeout needs a whole number of seconds from 1 to %1, not '%2'")
            .arg(CommandLine::kLongestTimeLimit)
            .arg(timeout);
    // An option where a value was meant: "--manifest -o out" would otherwise
    // write a manifest named "-o". A name that begins with "-" is written
    // "./-name"; "--manifest -" is standard output.
    for (const auto& [option, value, what, dashIsStandardOutput] :
         {std::tuple{"-o", line.outputFolder, "a folder", false},
          std::tuple{"--manifest", line.manifest, "a file", true}})
        if (value.startsWith(QLatin1Char('-')) && !(dashIsStandardOutput && value == QLatin1String("-")))
            return QStringLiteral("%1 needs %2, not '%3'").arg(QLatin1String(option), QLatin1String(what), value);
    if (line.outputFolder.isEmpty())
        return QStringLiteral("no output folder: give one with -o FOLDER");
    if (line.inputs.isEmpty())
        return QStringLiteral("no input: give PDF files or folders, or - to read their paths");
    if (line.inputs.count(QStringLiteral("-")) > 1)
        return QStringLiteral("standard input can be read only once");
    return QString();
}

} // namespace

QByteArray CommandLine::bytesIfNoText(const QString& value) const
{
    // Qt reads a byte that is no text as U+FFFD. A value is a whole argument
    // or its end, after "--output=" or "-o", which are text.
    if (value.isEmpty() || !value.contains(QChar::ReplacementCharacter))
        return QByteArray();
    for (const auto& [text, bytes] : noText)
        if (text.endsWith(value))
            return bytes.mid(QFile::encodeName(text.chopped(value.size())).size());
    return QByteArray();
}

CommandLine CommandLine::parse(const QStringList& arguments, const QList<QByteArray>& bytes)
{
    const Options o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions({o.output, o.nul, o.keepJpeg, o.noMasks, o.masks, o.noTiny, o.noRepeats, o.jobs, o.manifest,
                       o.timeout, o.quiet, o.noConfinement, o.help, o.version});
    CommandLine line;
    for (qsizetype i = 0; i < bytes.size() && i < arguments.size(); ++i)
        if (!PathBytes::isText(bytes.at(i)))
            line.noText.append({arguments.at(i), bytes.at(i)});
    if (!parser.parse(QStringList{QStringLiteral("orvalin-extract")} + arguments)) {
        line.error = parseError(parser);
        return line;
    }
    if (parser.isSet(o.help) || parser.isSet(o.version)) {
        line.action = parser.isSet(o.help) ? Action::Help : Action::Version;
        return line;
    }
    // White space at the end is dropped, as the window drops it.
    line.outputFolder = parser.value(o.output);
    while (!line.outputFolder.isEmpty() && line.outputFolder.back().isSpace())
        line.outputFolder.chop(1);
    line.inputs = parser.positionalArguments();
    line.nulSeparated = parser.isSet(o.nul);
    line.choices.keepJpeg = parser.isSet(o.keepJpeg);
    line.choices.noTiny = parser.isSet(o.noTiny);
    line.choices.noRepeats = parser.isSet(o.noRepeats);
    // --no-masks is the older name of --masks leave-out.
    const std::optional<ExtractChoices::Masks> masks =
        parser.isSet(o.masks)
            ? masksWay(parser.value(o.masks))
            : (parser.isSet(o.noMasks) ? ExtractChoices::Masks::LeaveOut : ExtractChoices::Masks::Save);
    if (!masks) {
        line.error = QStringLiteral("--masks needs save, leave-out or apply, not '%1'").arg(parser.value(o.masks));
        return line;
    }
    if (parser.isSet(o.noMasks) && *masks != ExtractChoices::Masks::LeaveOut) {
        line.error = QStringLiteral("--no-masks and --masks %1 say different things").arg(parser.value(o.masks));
        return line;
    }
    line.choices.setMasks(*masks);
    line.manifest = parser.value(o.manifest);
    line.quiet = parser.isSet(o.quiet);
    line.confined = !parser.isSet(o.noConfinement);
    // -0 alone reads standard input as "-" does.
    if (line.nulSeparated && !line.inputs.contains(QStringLiteral("-")))
        line.inputs.append(QStringLiteral("-"));
    const QString jobs = parser.isSet(o.jobs) ? parser.value(o.jobs) : QString();
    line.jobs = jobs.toInt();
    const QString timeout = parser.isSet(o.timeout) ? parser.value(o.timeout) : QString();
    line.timeLimit = timeout.toInt();
    line.error = usageProblem(line, jobs, timeout);
    return line;
}

QString CommandLine::usage()
{
    return QStringLiteral("Usage: orvalin-extract [options] -o FOLDER PDF-or-FOLDER...");
}

QString CommandLine::help()
{
    return usage() + QStringLiteral(R"(
Saves the images of PDF files as numbered JPEG files (1.jpg, 2.jpg, ...) in
FOLDER. Numbers already taken are passed over and no file is ever replaced, so
several instances can write into one folder at once.

Input:
  PDF-or-FOLDER      a PDF file, or a folder whose PDF files (and those of its
                     subfolders) are all added, folder by folder
  -                  read paths from standard input, one per line
  -0                 read paths from standard input, each ended by NUL
                     (as find -print0 writes them)

Options:
  -o, --output FOLDER  the folder for the JPEG files (made when missing)
      --keep-jpeg    save JPEG images as they are, bit for bit
      --masks WAY    soft masks and masks, the transparency of other images:
                     save (as images of their own, the default), leave-out,
                     or apply (each image saved as it looks on a white page;
                     a JPEG image with a mask is then encoded, not kept)
      --no-masks     the same as --masks leave-out
      --no-tiny      leave out images under 8 pixels wide or high
      --no-repeats   leave out images a PDF shows more than once, and images
                     the same, byte for byte, as one saved before in the run
      --jobs N       programs at once (default: the number of cores)
      --manifest FILE  write a tab-separated list of the JPEG files saved
                     (- writes it to standard output); FILE is written
                     whole at the end, and replaces only an earlier manifest
      --timeout SECONDS  stop a PDF whose programs run longer, and go on
                     with the next (default: no limit)
  -q, --quiet        no progress and no summary; problems are still shown
      --no-confinement  run the tools unconfined: only where they cannot
                     run confined at all (read the manual first)
  -h, --help         show this help
      --version      show the version, the tools found and their versions

Exit status: 0 when every PDF gave all its images, 1 when a problem was shown,
2 on a usage error, 130 when interrupted, 141 when standard output or standard
error was a pipe that was closed.
)");
}
