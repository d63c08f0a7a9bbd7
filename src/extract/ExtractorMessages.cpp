// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractorMessages.h"

#include <QRegularExpression>
#include <QString>

namespace {

// Messages about drawing: paths, text and fonts, colours and patterns, the
// graphics state, marked content, annotations and form fields, and operators
// other than the one that draws an image ("Do").
const QRegularExpression& drawingOnly()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:No current point in "
                       "|No path in "
                       "|No font in "
                       "|Element of show/space array"
                       "|Invalid blend mode in ExtGState"
                       "|Invalid (?:soft mask|transfer function).* in ExtGState"
                       "|ExtGState '.*' is (?:unknown|wrong type)"
                       "|Number of args mismatch for /\\w+ in ExtGState"
                       "|Bad color space \\((?:fill|stroke)\\)"
                       "|Incorrect number of arguments in '\\w+' command"
                       "|Unknown pattern"
                       "|Singular matrix in (?:shading|tiling) pattern fill"
                       "|Marked Content '.*' is unknown"
                       "|Unexpected MC Type"
                       "|insufficient arguments for Marked Content"
                       "|Restoring state when no valid states to pop"
                       "|Found state under last state guard"
                       "|There's a form with more [qQ] than [qQ]"
                       "|Unknown operator '"
                       "|Too (?:few|many) \\(\\d+\\) args to '(?!Do')[^']*' operator"
                       "|Arg #\\d+ to '(?!Do')[^']*' operator is wrong type"
                       "|Leftover args in content stream"
                       "|Too many args in content stream"
                       "|(?:Bad )?Annot"
                       "|Form(?:Field|Widget)"
                       "|Bad bounding box for annotation"
                       "|HorizontalTextLayouter"
                       "|Couldn't find ToUnicode CMap"
                       ")"
                       // Fonts and the functions of colours and shadings.
                       "|\\b[Ff]onts?\\b|\\bCMap\\b|\\b[Ff]unctions?\\b"));
    return pattern;
}

// Messages about an image that never reached the list: an XObject (an image,
// or a form that may hold some) missing or of the wrong kind, an image whose
// size or colours make no sense, the operators that draw images, and the
// pages and page tree.
const QRegularExpression& unlistedImages()
{
    static const QRegularExpression pattern(
        QStringLiteral("XObject|[Ii]mage parameters|[Ii]nline image|'(?:Do|BI|ID|EI)'|\\b[Pp]ages?\\b|\\bKids\\b"));
    return pattern;
}

// "Syntax Error (123): message" or "Syntax Error: message".
const QRegularExpression& errorLine()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(Syntax Warning|Syntax Error|Config Error|Command Line Error|I/O Error|Permission Error"
                       "|Unimplemented Feature|Internal Error)(?: \\(-?\\d+\\))?: (.*)$"));
    return pattern;
}

} // namespace

bool ExtractorMessages::aboutDrawingOnly(const QString& message)
{
    return drawingOnly().match(message).hasMatch();
}

bool ExtractorMessages::aboutUnlistedImages(const QString& message)
{
    return unlistedImages().match(message).hasMatch();
}

ExtractorMessages ExtractorMessages::read(const QByteArray& errorOutput)
{
    static const QRegularExpression anError(QStringLiteral("\\bError\\b"));
    ExtractorMessages said;
    for (const QString& line : QString::fromLocal8Bit(errorOutput).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = errorLine().match(line);
        if (!match.hasMatch()) {
            // Anything else that calls itself an error is taken at its word.
            const bool error = anError.match(line).hasMatch();
            said.damaged = said.damaged || error;
            said.unlisted = said.unlisted || error;
            continue;
        }
        const QString category = match.captured(1);
        const QString message = match.captured(2);
        if (message.startsWith(QLatin1String("Couldn't open image file"))) {
            said.couldNotWrite = true;
            continue;
        }
        // Warnings and missing features are no errors; a configuration error
        // is about the fonts and character maps this system has.
        if (!category.endsWith(QLatin1String("Error")) || category == QLatin1String("Config Error"))
            continue;
        if (!aboutDrawingOnly(message)) {
            said.damaged = true;
            said.unlisted = said.unlisted || aboutUnlistedImages(message);
        }
    }
    return said;
}
