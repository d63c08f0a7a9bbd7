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
#include "util/PathBytes.h"
#include "util/Platform.h"
#include "util/TerminationSignals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <tuple>

namespace {

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

// True for output-folder text that begins with the home folder, as the
// window's box reads it: "~" and "~/...".
bool fromHome(const QString& given)
{
    return given.startsWith(QLatin1Char('~')) && (given.size() == 1 || Platform::isSeparator(given.at(1)));
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

int ExtractCommand::run(const QStringList& arguments, const QList<QByteArray>& bytes)
{
    const CommandLine line = CommandLine::parse(arguments, bytes);
    if (!line.error.isEmpty())
        return usageError(line.error);
    if (line.action != CommandLine::Action::Extract && m_outClosed) {
        say(m_err, QStringLiteral("orvalin-extract: standard output is closed, so nothing can be shown there"));
        return kProblems;
    }
    if (line.action == CommandLine::Action::Help) {
        say(m_out, CommandLine::help());
        return flushOutput();
    }
    if (line.action == CommandLine::Action::Version)
        return version();
    return extract(line);
}

int ExtractCommand::flushOutput()
{
    if (std::fflush(m_out) == 0 && !std::ferror(m_out))
        return kAllImages;
    say(m_err, QStringLiteral("orvalin-extract: standard output could not be written (%1)").arg(qt_error_string()));
    return kProblems;
}

QString ExtractCommand::fullPath(const QString& path)
{
    if (!QDir::isRelativePath(path))
        return QDir::toNativeSeparators(QDir::cleanPath(path));
    // Asked once, and only when a path leans on it; never "/" in its place.
    if (!m_baseRead) {
        m_baseRead = true;
        m_base = Platform::currentFolder(&m_noBase);
    }
    if (m_base.isEmpty())
        return QString();
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(m_base).absoluteFilePath(path)));
}

QString ExtractCommand::pathProblem(const CommandLine& line, const QString& given, const char* what, bool home)
{
    if (const QByteArray bytes = line.bytesIfNoText(given); !bytes.isEmpty())
        return QStringLiteral("the %1 '%2' is not valid UTF-8").arg(QLatin1String(what), PathBytes::escaped(bytes));
    if (home && fromHome(given))
        return QString();
    if (fullPath(given).isEmpty())
        return QStringLiteral("relative paths cannot be used: the current folder %1").arg(m_noBase);
    return QString();
}

int ExtractCommand::extract(const CommandLine& line)
{
    if (line.manifest == QLatin1String("-") && m_outClosed)
        return usageError(QStringLiteral("--manifest - needs standard output, which is closed"));
    // Paths that would name another place, or none, are refused before any
    // is used.
    const QString manifestFile = line.manifest == QLatin1String("-") ? QString() : line.manifest;
    for (const auto& [given, what, home] :
         {std::tuple{line.outputFolder, "output folder", true}, std::tuple{manifestFile, "manifest", false}})
        if (!given.isEmpty())
            if (const QString problem = pathProblem(line, given, what, home); !problem.isEmpty())
                return usageError(problem);
    m_rows = gather(line);
    if (!m_relativeProblem.isEmpty())
        return usageError(m_relativeProblem);
    for (const QByteArray& path : std::as_const(m_noText)) {
        ++m_problems;
        say(m_err, oneLine(PathBytes::problemLine(path)));
    }
    if (m_rows.isEmpty()) {
        say(m_err, QStringLiteral("orvalin-extract: no PDF files to extract"));
        return kProblems;
    }
    m_outputFolder =
        fromHome(line.outputFolder) ? line.outputFolder : fullPath(line.outputFolder) + Platform::separator();
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
        const QString manifest = line.manifest == QLatin1String("-") ? line.manifest : fullPath(line.manifest);
        if (const QString refused = manifestProblem(manifest); !refused.isEmpty())
            return usageError(refused);
        m_manifestName = line.manifest;
        m_keepManifest = m_manifest.open(manifest);
        if (!m_keepManifest)
            return usageError(QStringLiteral("cannot write the manifest %1: %2").arg(line.manifest, m_manifest.why()));
        m_manifestOnTerminal = m_manifest.toStandardOutput() && Platform::standardOutputIsTerminal();
    }
    if (problem.isEmpty())
        problem = Main::prepareFolder(OutputFolder::resolve(m_outputFolder).folder);
    if (!problem.isEmpty()) {
        m_manifest.discard();
        say(m_err, QStringLiteral("orvalin-extract: %1").arg(problem));
        return kProblems;
    }
    return runAll(line, confinement);
}

QString ExtractCommand::manifestProblem(const QString& manifest) const
{
    const QFileInfo info(manifest);
    if (manifest == QLatin1String("-") || !info.exists())
        return QString();
    const QString real = info.canonicalFilePath();
    for (const QString& row : m_rows)
        if (QFileInfo(row).canonicalFilePath() == real)
            return QStringLiteral("the manifest %1 would replace a PDF given as input").arg(manifest);
    if (info.isFile() && !Manifest::isManifest(manifest))
        return QStringLiteral("the manifest %1 would replace a file that is not a manifest").arg(manifest);
    return QString();
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
    // A script over thousands of PDFs leaves no copy of one behind, nor one
    // on a folder that is shared, slow or read-only: the copy lives beside
    // the images.
    m_run->setRemoveWorkCopy(true);
    m_run->setWorkCopyInOutputFolder(true);
    m_run->setTimeLimit(line.timeLimit);
    // A manifest names the page and kind of every image it lists.
    m_run->setListForRecord(m_keepManifest);
    m_run->setChoices(line.choices);
    m_run->setConfinement(confinement);
    m_run->setParallelEncoders(line.jobs > 0 ? line.jobs : QThread::idealThreadCount());
    m_clock.start();
    // From here on Ctrl+C, SIGTERM and SIGHUP end the run as closing the
    // window does, and so does a closed pipe on either output.
    TerminationSignals requests(nullptr, TerminationSignals::ClosedPipe::Caught);
    int request = 0;
    QObject::connect(&requests, &TerminationSignals::received, [this, &request](int signal) {
        request = signal;
        interrupt();
    });
    m_run->ExtractAll();
    m_pdfsDone = m_interrupted ? m_row - 1 : int(m_rows.size());
    if (m_keepManifest && !m_outputFailed && !m_manifest.commit()) {
        // Its lines were all written; only its name could not be given.
        ++m_problems;
        m_progress->clear();
        say(m_err, QStringLiteral("orvalin-extract: the manifest %1 could not be written (%2)")
                       .arg(m_manifestName, m_manifest.why()));
    }
    m_progress->clear();
    summary();
    if (TerminationSignals::closedPipeCaught())
        request = TerminationSignals::closedPipe();
    if (!m_interrupted)
        return m_problems > 0 ? kProblems : kAllImages;
    // Ctrl+C and a closed pipe end the program by the signal itself, as a
    // shell expects of every program it runs: a loop of runs stops there too,
    // and a pipeline learns why this part of it ended.
    if (request != 0
        && (request == TerminationSignals::keyboardInterrupt() || request == TerminationSignals::closedPipe()))
        TerminationSignals::endProcess(request);
    return m_outputFailed ? kProblems : kInterrupted;
}

void ExtractCommand::outputFailed(const QString& why)
{
    if (m_outputFailed)
        return;
    m_outputFailed = true;
    // A closed pipe says nothing of its own: the signal does.
    if (!TerminationSignals::closedPipeCaught()) {
        ++m_problems;
        m_progress->clear();
        say(m_err, QStringLiteral("orvalin-extract: %1, so the run was stopped").arg(why));
    }
    interrupt();
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
        // Each path as text, and as its bytes when they are no text.
        QList<std::pair<QString, QByteArray>> paths;
        if (input == QLatin1String("-")) {
            for (const QByteArray& bytes : readPaths(line.nulSeparated))
                paths.append({QFile::decodeName(bytes), PathBytes::isText(bytes) ? QByteArray() : bytes});
        } else {
            paths.append({input, line.bytesIfNoText(input)});
        }
        for (const auto& [path, noText] : std::as_const(paths)) {
            if (!noText.isEmpty()) {
                // Named by its full path, as every problem line names its PDF.
                const QString base = QDir::isRelativePath(path) ? fullPath(QStringLiteral(".")) : QString();
                m_noText.append(base.isEmpty() ? noText : QFile::encodeName(base) + '/' + noText);
                continue;
            }
            const QString full = fullPath(path);
            if (full.isEmpty()) {
                m_relativeProblem =
                    QStringLiteral("relative paths cannot be used: the current folder %1").arg(m_noBase);
                return {};
            }
            // A folder adds its tree's PDF files as the folder button does.
            if (QFileInfo(full).isDir()) {
                FolderScan scan;
                rows += scan.pdfFilesInTree(full);
                m_noText += scan.pathsThatAreNoText();
            } else {
                rows.append(full);
            }
        }
    }
    return rows;
}

QList<QByteArray> ExtractCommand::readPaths(bool nulSeparated)
{
    QFile in;
    if (!in.open(m_in, QIODevice::ReadOnly))
        return {};
    QList<QByteArray> paths;
    for (const QByteArray& path : in.readAll().split(nulSeparated ? '\0' : '\n')) {
        const QByteArray trimmed = nulSeparated || !path.endsWith('\r') ? path : path.chopped(1);
        if (!trimmed.isEmpty())
            paths.append(trimmed);
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
    if (!m_keepManifest || m_outputFailed)
        return;
    // The progress line would run into the manifest's line; it comes back
    // below it.
    if (m_manifestOnTerminal)
        m_progress->clear();
    if (!m_manifest.add(image)) {
        outputFailed(QStringLiteral("the manifest %1 could not be written (%2)")
                         .arg(m_manifest.toStandardOutput() ? QStringLiteral("on standard output") : m_manifestName,
                              m_manifest.why()));
        return;
    }
    if (m_manifestOnTerminal)
        m_progress->restore();
}

void ExtractCommand::rowProgress(int row, int rows, qsizetype done, qsizetype listed)
{
    if (row != m_row) {
        m_doneBefore += m_done;
        m_listedBefore += m_listed;
        m_row = row;
    }
    m_done = done;
    // A PDF whose list is not read knows of the images it found.
    m_listed = qMax(listed, done);
    ProgressLine::State state;
    state.pdfsDone = row - 1;
    state.pdfs = rows;
    state.imagesDone = m_doneBefore + done;
    state.imagesListed = m_listedBefore + m_listed;
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
    // An interrupted run names the PDFs it finished of all it was given.
    const QString pdfs = m_interrupted
                             ? QStringLiteral("%1 of %2").arg(m_pdfsDone).arg(count(m_rows.size(), "PDF", "PDFs"))
                             : count(m_rows.size(), "PDF", "PDFs");
    QString line = QStringLiteral("%1: %2 from %3")
                       .arg(m_outputFailed  ? QStringLiteral("Stopped")
                            : m_interrupted ? QStringLiteral("Interrupted")
                                            : QStringLiteral("Done"),
                            count(m_saved, "image", "images"), pdfs);
    if (m_problems > 0)
        line += QStringLiteral(" (%1 with problems)").arg(m_problems);
    line += QStringLiteral(" in %1 s").arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 1);
    if (!m_leftOut.isEmpty())
        line += QStringLiteral("; ") + m_leftOut;
    say(m_err, line);
}
