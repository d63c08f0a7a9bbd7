// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractCommand.h"

#include "confine/Confinement.h"
#include "extract/ExtractRun.h"
#include "extract/Shell32.h"
#include "extract/ToolCheck.h"
#include "extract/ToolLocator.h"
#include "sourcelist/FolderScan.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Platform.h"
#include "util/TerminationSignals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

namespace {

// The full path of a path given on the command line, with the platform's
// separators.
QString fullPath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

void say(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// A path in a line of its own: a tab or line end in a name would break it.
QString oneLine(QString path)
{
    return path.replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
}

// The output folder as the window's box would read it, relative text taken
// from the current folder: "~" and "~/..." are the home folder.
QString outputFolderAsGiven(const QString& given)
{
    if (given.startsWith(QLatin1Char('~')) && (given.size() == 1 || Platform::isSeparator(given.at(1))))
        return given;
    return fullPath(given) + Platform::separator();
}

} // namespace

ExtractCommand::ExtractCommand(QString applicationFolder, std::FILE* in, std::FILE* out, std::FILE* err)
    : m_applicationFolder(std::move(applicationFolder))
    , m_in(in)
    , m_out(out)
    , m_err(err)
{
}

ExtractCommand::~ExtractCommand() = default;

int ExtractCommand::usageError(const QString& error)
{
    say(m_err, QStringLiteral("orvalin-extract: %1").arg(error));
    say(m_err, QStringLiteral("Try 'orvalin-extract --help' for more information."));
    return kUsage;
}

int ExtractCommand::run(const QStringList& arguments)
{
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.error.isEmpty())
        return usageError(line.error);
    if (line.action == CommandLine::Action::Help) {
        say(m_out, CommandLine::help());
        return kAllImages;
    }
    if (line.action == CommandLine::Action::Version)
        return version();
    return extract(line);
}

int ExtractCommand::extract(const CommandLine& line)
{
    m_rows = gather(line);
    if (m_rows.isEmpty()) {
        say(m_err, QStringLiteral("orvalin-extract: no PDF files to extract"));
        return kProblems;
    }
    m_outputFolder = outputFolderAsGiven(line.outputFolder);
    // What can be checked is checked before anything is written: the tools
    // and the output folder stay as they are for the whole run.
    // The last resort, named before anything is done.
    QString unconfined;
    const Confinement confinement = line.confined ? ExtractRun::defaultConfinement(&unconfined) : Confinement();
    if (!line.confined)
        unconfined = QStringLiteral("the tools run unconfined (--no-confinement)");
    if (!unconfined.isEmpty())
        say(m_err, QStringLiteral("orvalin-extract: %1").arg(unconfined.front().toLower() + unconfined.mid(1)));
    QString problem = preflight(confinement);
    if (problem.isEmpty() && !line.manifest.isEmpty()) {
        m_keepManifest = m_manifest.open(line.manifest == QLatin1String("-") ? line.manifest : fullPath(line.manifest));
        if (!m_keepManifest)
            return usageError(QStringLiteral("cannot write the manifest %1: %2").arg(line.manifest, m_manifest.why()));
    }
    if (problem.isEmpty())
        problem = Main::prepareFolder(OutputFolder::resolve(m_outputFolder).folder);
    if (!problem.isEmpty()) {
        say(m_err, QStringLiteral("orvalin-extract: %1").arg(problem));
        return kProblems;
    }
    return runAll(line, confinement);
}

int ExtractCommand::runAll(const CommandLine& line, const Confinement& confinement)
{
    m_progress = std::make_unique<ProgressLine>(m_err, !line.quiet && Platform::standardErrorIsTerminal());
    qint64 bytes = 0;
    for (const QString& row : std::as_const(m_rows)) {
        m_bytesBefore.append(bytes);
        bytes += qMax<qint64>(0, QFileInfo(row).size());
    }
    m_bytesBefore.append(bytes);

    m_run = std::make_unique<ExtractRun>(*this, ToolLocator(m_applicationFolder));
    // A script over thousands of PDFs leaves no copy of one behind.
    m_run->setRemoveWorkCopy(true);
    m_run->setChoices(line.choices);
    m_run->setConfinement(confinement);
    m_run->setParallelEncoders(line.jobs > 0 ? line.jobs : QThread::idealThreadCount());
    m_clock.start();
    // From here on Ctrl+C, SIGTERM and SIGHUP end the run as closing the
    // window does.
    TerminationSignals requests;
    int request = 0;
    QObject::connect(&requests, &TerminationSignals::received, [this, &request](int signal) {
        request = signal;
        interrupt();
    });
    m_run->ExtractAll();
    m_progress->clear();
    summary();
    if (!m_interrupted)
        return m_problems > 0 ? kProblems : kAllImages;
    // Ctrl+C ends the program by the signal itself, as a shell expects of
    // every program it runs: a loop of runs stops there too.
    if (request == TerminationSignals::keyboardInterrupt())
        TerminationSignals::endProcess(request);
    return kInterrupted;
}

QString ExtractCommand::preflight(const Confinement& confinement) const
{
    const ToolLocator::Tools tools = ToolLocator(m_applicationFolder).findTools();
    if (!tools.problem.isEmpty())
        return tools.problem;
    if (const QString problem = OutputFolder::resolve(m_outputFolder).problem; !problem.isEmpty())
        return problem;
    return ToolCheck::problem(tools, confinement);
}

void ExtractCommand::interrupt()
{
    m_interrupted = true;
    if (m_run)
        m_run->abandon();
}

QStringList ExtractCommand::gather(const CommandLine& line)
{
    QStringList rows;
    for (const QString& input : line.inputs) {
        const QStringList paths = input == QLatin1String("-") ? readPaths(line.nulSeparated) : QStringList{input};
        for (const QString& path : paths) {
            const QString full = fullPath(path);
            // A folder adds its tree's PDF files as the folder button does.
            if (QFileInfo(full).isDir())
                rows += FolderScan().pdfFilesInTree(full);
            else
                rows.append(full);
        }
    }
    return rows;
}

QStringList ExtractCommand::readPaths(bool nulSeparated)
{
    QFile in;
    if (!in.open(m_in, QIODevice::ReadOnly))
        return {};
    QStringList paths;
    for (const QByteArray& path : in.readAll().split(nulSeparated ? '\0' : '\n')) {
        const QByteArray trimmed = nulSeparated || !path.endsWith('\r') ? path : path.chopped(1);
        if (!trimmed.isEmpty())
            paths.append(QFile::decodeName(trimmed));
    }
    return paths;
}

int ExtractCommand::version()
{
    say(m_out, QStringLiteral("orvalin-extract %1").arg(QStringLiteral(ORVALIN_VERSION)));
    const ToolLocator locator(m_applicationFolder);
    const ToolLocator::Tools tools{locator.find(QStringLiteral("pdfimages")), locator.find(QStringLiteral("cjpeg")),
                                   QString()};
    const Confinement confinement = ExtractRun::defaultConfinement();
    const QList<ToolCheck::Said> said = ToolCheck::check(tools, confinement);
    const struct {
        const char* role;
        const char* name;
        const QString& program;
    } roles[] = {{"extractor", "pdfimages", tools.extractor}, {"encoder", "cjpeg", tools.encoder}};
    for (int i = 0; i < 2; ++i) {
        const auto& [role, name, program] = roles[i];
        if (program.isEmpty())
            say(m_out, QStringLiteral("%1: %2 not found").arg(QLatin1String(role), QLatin1String(name)));
        else
            say(m_out, QStringLiteral("%1: %2 (%3)")
                           .arg(QLatin1String(role), program,
                                said.value(i).problem.isEmpty() ? said.value(i).version : said.value(i).problem));
    }
    const Confinement::Offer offer = confinement.inForce();
    say(m_out, QStringLiteral("confinement: %1")
                   .arg(!confinement.isOn() ? QStringLiteral("off (ORVALIN_CONFINEMENT=off); the tools run as they are")
                        : offer.landlockAbi || offer.systemCallFilter || offer.limits
                            ? Confinement::describe(offer)
                            : QStringLiteral("none on this system; the tools run as they are")));
    return kAllImages;
}

void ExtractCommand::showMessage(const QString&, const QString&)
{
    // "Done." and the problems, which were shown as they came.
}

void ExtractCommand::leftOut(const QString& line)
{
    m_leftOut = line;
}

void ExtractCommand::problemFound(const QString& source, const QString& problem)
{
    // The whole path: two folders may hold PDFs of one name.
    ++m_problems;
    m_progress->clear();
    say(m_err, QStringLiteral("%1: %2.").arg(oneLine(source), problem));
}

void ExtractCommand::imageSaved(const SavedImage& image)
{
    ++m_saved;
    if (m_keepManifest)
        m_manifest.add(image);
}

void ExtractCommand::rowProgress(int row, int rows, qsizetype done, qsizetype listed)
{
    if (row != m_row) {
        m_doneBefore += m_done;
        m_listedBefore += m_listed;
        m_row = row;
    }
    m_done = done;
    m_listed = listed;
    ProgressLine::State state;
    state.pdfsDone = row - 1;
    state.pdfs = rows;
    state.imagesDone = m_doneBefore + done;
    state.imagesListed = m_listedBefore + listed;
    state.elapsedMs = m_clock.elapsed();
    const double part = listed > 0 ? double(done) / double(listed) : 0.0;
    const qint64 total = m_bytesBefore.constLast();
    if (total > 0 && row <= m_bytesBefore.size() - 1) {
        const qint64 size = m_bytesBefore.at(row) - m_bytesBefore.at(row - 1);
        state.fraction = (double(m_bytesBefore.at(row - 1)) + double(size) * part) / double(total);
    } else if (rows > 0) {
        state.fraction = (double(row - 1) + part) / double(rows);
    }
    m_progress->show(state);
}

void ExtractCommand::summary()
{
    if (!m_progress->enabled())
        return;
    const QLocale english(QLocale::English);
    const auto count = [&english](qsizetype n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(english.toString(qlonglong(n)), QLatin1String(n == 1 ? one : many));
    };
    QString line = QStringLiteral("%1: %2 from %3")
                       .arg(m_interrupted ? QStringLiteral("Interrupted") : QStringLiteral("Done"),
                            count(m_saved, "image", "images"), count(m_rows.size(), "PDF", "PDFs"));
    if (m_problems > 0)
        line += QStringLiteral(" (%1 with problems)").arg(m_problems);
    line += QStringLiteral(" in %1 s").arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 1);
    if (!m_leftOut.isEmpty())
        line += QStringLiteral("; ") + m_leftOut;
    say(m_err, line);
}
