// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestDocument.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

#include <iterator>
#include <utility>

namespace TestDocument {

namespace {

using TestPdf::Kind;

// US letter, in points, with inch-wide margins.
constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;
constexpr int kMargin = 72;
constexpr int kTextWidth = kPageWidth - 2 * kMargin;
constexpr int kGutter = 18;
constexpr int kObjectsPerStream = 100;

const char* const kWords[] = {
    "the",        "a",
    "of",         "to",
    "and",        "in",
    "is",         "for",
    "with",       "that",
    "on",         "as",
    "by",         "be",
    "this",       "are",
    "from",       "or",
    "it",         "can",
    "when",       "each",
    "which",      "not",
    "value",      "option",
    "default",    "system",
    "function",   "parameter",
    "returns",    "file",
    "section",    "example",
    "table",      "figure",
    "device",     "interface",
    "controller", "register",
    "memory",     "address",
    "buffer",     "request",
    "response",   "protocol",
    "network",    "server",
    "client",     "message",
    "error",      "status",
    "command",    "output",
    "input",      "signal",
    "timer",      "interrupt",
    "channel",    "configuration",
    "settings",   "installation",
    "procedure",  "operation",
    "mode",       "level",
    "range",      "maximum",
    "minimum",    "specified",
    "described",  "following",
    "shown",      "below",
    "above",      "see",
    "chapter",    "page",
    "note",       "warning",
    "must",       "should",
    "may",        "only",
    "all",        "any",
    "other",      "more",
    "than",       "between",
    "after",      "before",
    "during",     "while",
    "then",       "if",
    "user",       "data",
    "format",     "length",
    "size",       "number",
    "time",       "first",
    "second",     "last",
    "new",        "current",
    "previous",   "next",
    "enabled",    "disabled",
    "supported",  "required",
    "optional",   "available",
    "selected",   "applied",
    "measured",   "results",
    "method",     "approach",
    "analysis",   "model",
    "sample",     "process",
    "control",    "power",
};

const char* const kCode[] = {
    "int", "const", "return", "if", "else",  "for",  "while",  "=",     "==",     "+", "-", "*",  "<",    ">",  ";",
    "{",   "}",     "x",      "y",  "count", "size", "buffer", "value", "result", "0", "1", "16", "0xff", "&&", "void",
};

QByteArray n(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray deflate(const QByteArray& data)
{
    // qCompress puts a four-byte length before a zlib stream; PDF wants the
    // zlib stream alone.
    return qCompress(data, 6).mid(4);
}

// A file as PDF 1.5 lays it out: streams are objects of their own, every
// other object is packed into an object stream, and the table of where
// objects are is itself a deflated stream.
class Writer
{
public:
    int reserve()
    {
        m_entries.append(Entry{});
        return int(m_entries.size());
    }
    // dictionary: the entries, /Length among them.
    void stream(int number, const QByteArray& dictionary, const QByteArray& data)
    {
        m_entries[number - 1] = {1, m_out.size(), 0};
        m_out += n(number) + " 0 obj\n<< " + dictionary + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    }
    void deflated(int number, const QByteArray& dictionary, const QByteArray& data)
    {
        const QByteArray packed = deflate(data);
        stream(number, dictionary + " /Filter /FlateDecode /Length " + n(packed.size()), packed);
    }
    void dictionary(int number, const QByteArray& entries)
    {
        m_packed.append({number, "<< " + entries + " >>"});
        if (m_packed.size() == kObjectsPerStream)
            pack();
    }
    QByteArray finish(int root)
    {
        pack();
        const int self = reserve();
        const qsizetype start = m_out.size();
        m_entries[self - 1] = {1, start, 0};
        QByteArray table = entry({0, 0, 0xffff});
        for (const Entry& each : std::as_const(m_entries))
            table += entry(each);
        const QByteArray packed = deflate(table);
        m_out += n(self) + " 0 obj\n<< /Type /XRef /Size " + n(m_entries.size() + 1) + " /W [1 4 2] /Root " + n(root)
                 + " 0 R /Filter /FlateDecode /Length " + n(packed.size()) + " >>\nstream\n" + packed
                 + "\nendstream\nendobj\nstartxref\n" + n(start) + "\n%%EOF\n";
        return m_out;
    }

private:
    struct Entry {
        int type = 0;     // 0 free, 1 at an offset, 2 in an object stream
        qint64 field = 0; // the offset, or the object stream's number
        int second = 0;   // the generation, or the index in the object stream
    };
    static QByteArray entry(const Entry& each)
    {
        const char bytes[] = {char(each.type),  char(each.field >> 24), char(each.field >> 16), char(each.field >> 8),
                              char(each.field), char(each.second >> 8), char(each.second)};
        return QByteArray(bytes, sizeof bytes);
    }
    void pack()
    {
        if (m_packed.isEmpty())
            return;
        const int number = reserve();
        QByteArray head;
        QByteArray bodies;
        for (qsizetype i = 0; i < m_packed.size(); ++i) {
            head += n(m_packed.at(i).first) + ' ' + n(bodies.size()) + ' ';
            bodies += m_packed.at(i).second + '\n';
            m_entries[m_packed.at(i).first - 1] = {2, number, int(i)};
        }
        head += '\n';
        deflated(number, "/Type /ObjStm /N " + n(m_packed.size()) + " /First " + n(head.size()), head + bodies);
        m_packed.clear();
    }

    QByteArray m_out = "%PDF-1.5\n%\xe2\xe3\xcf\xd3\n";
    QList<Entry> m_entries;
    QList<std::pair<int, QByteArray>> m_packed;
};

// Writes an image with its soft mask, if it has one; returns its object, or
// 0 for an image that has none.
int imageObject(Writer& writer, const TestPdf::Image& image)
{
    TestPdf::EncodedImage encoded = TestPdf::encodeImage(image);
    if (encoded.dictionary.isEmpty())
        return 0;
    const int number = writer.reserve();
    if (image.softMask) {
        TestPdf::Image alpha = image;
        alpha.kind = Kind::Gray;
        alpha.seed += 7;
        const TestPdf::EncodedImage mask = TestPdf::encodeImage(alpha);
        const int maskNumber = writer.reserve();
        writer.stream(maskNumber, mask.dictionary, mask.stream);
        encoded.dictionary += " /SMask " + n(maskNumber) + " 0 R";
    }
    writer.stream(number, encoded.dictionary, encoded.stream);
    return number;
}

// The operators that draw an image, resource name given (an inline image
// for a stencil), into a box of at most width by height points at x, y.
QByteArray placed(const TestPdf::Image& image, const QByteArray& name, int x, int y, int width, int height)
{
    // Whole points keep the drawing simple; the scale keeps the proportions.
    const double scale = qMin(1.0, qMin(double(width) / image.width, double(height) / image.height));
    const QByteArray w = n(qMax(1, int(image.width * scale)));
    const QByteArray h = n(qMax(1, int(image.height * scale)));
    QByteArray draw = name + " Do";
    if (image.kind == Kind::Stencil)
        draw = "BI /W " + n(image.width) + " /H " + n(image.height) + " /IM true ID "
               + QByteArray((image.width + 7) / 8 * image.height, char(0x55 + image.seed)) + " EI";
    QByteArray out;
    for (int k = 0; k < image.draws; ++k)
        out += "q " + w + " 0 0 " + h + ' ' + n(x + k) + ' ' + n(y) + " cm " + draw + " Q\n";
    return out;
}

// Sets the page's text and drawing from the top down, in blocks as a
// typesetter does, until the page is full.
class Typesetter
{
public:
    explicit Typesetter(int seed)
        : m_random(quint32(seed))
        // Typesetters for papers place every word apart, spaced by numbers;
        // office programs write a line of text at once.
        , m_wordByWord(m_random.bounded(2) == 0)
    {
    }

    QByteArray words(int count)
    {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += QByteArray(i ? " " : "") + kWords[m_random.bounded(int(std::size(kWords)))];
        return text;
    }

    QByteArray page(int number)
    {
        m_out = "q /Head Do Q\n";
        // Papers set two columns of smaller type, manuals one.
        const int columns = m_wordByWord ? 2 : 1;
        m_width = (kTextWidth - (columns - 1) * kGutter) / columns;
        for (int column = 0; column < columns; ++column) {
            m_left = kMargin + column * (m_width + kGutter);
            for (int y = 700; y > 120;) {
                const int block = m_random.bounded(100);
                y = block < 66   ? paragraph(y)
                    : block < 78 ? heading(y)
                    : block < 86 ? code(y)
                    : block < 91 ? table(y)
                    : block < 96 ? diagram(y)
                                 : chart(y);
            }
        }
        m_out += "BT /F1 8 Tf " + n(kPageWidth / 2) + " 40 Td (" + n(number) + ") Tj ET\n";
        return std::exchange(m_out, {});
    }

private:
    int paragraph(int y)
    {
        const int lines = 3 + m_random.bounded(8);
        if (m_wordByWord)
            m_out += "BT /F4 9 Tf 11 TL " + n(m_left) + ' ' + n(y) + " Td\n";
        const int leading = m_wordByWord ? 11 : 12;
        for (int line = 0; line < lines; ++line) {
            const int count = m_width / 40 + m_random.bounded(4);
            if (m_wordByWord) {
                // Words apart, and kerned within as the font's pairs ask.
                m_out += '[';
                for (int i = 0; i < count; ++i) {
                    const QByteArray word = words(1);
                    const int kern = word.size() > 3 ? 1 + m_random.bounded(int(word.size()) - 2) : 0;
                    m_out +=
                        (i ? n(-250 - m_random.bounded(100)) : QByteArray()) + '('
                        + (kern ? word.left(kern) + ')' + n(15 + m_random.bounded(70)) + '(' + word.mid(kern) : word)
                        + ')';
                }
                m_out += "] TJ T*\n";
            } else {
                // A line at a time, each with its own place and font.
                m_out += "BT /F1 10 Tf 0 0 0 rg " + n(m_left) + ' ' + n(y - 12 * line) + " Td "
                         + QByteArray::number(m_random.bounded(40) / 100.0, 'f', 2) + " Tw (" + words(count)
                         + ") Tj ET\n";
            }
        }
        if (m_wordByWord)
            m_out += "ET\n";
        return y - leading * lines - 8;
    }

    int heading(int y)
    {
        m_out += "BT /F2 14 Tf " + n(m_left) + ' ' + n(y - 10) + " Td (" + words(2 + m_random.bounded(5))
                 + ") Tj ET\n0.2 0.3 0.6 RG 0.6 w " + n(m_left) + ' ' + n(y - 16) + " m " + n(m_left + m_width) + ' '
                 + n(y - 16) + " l S 0 G\n";
        return y - 30;
    }

    int code(int y)
    {
        const int lines = 3 + m_random.bounded(9);
        m_out += "0.94 g " + n(m_left - 4) + ' ' + n(y - 11 * lines - 4) + ' ' + n(m_width + 8) + ' '
                 + n(11 * lines + 4) + " re f 0 g\nBT /F3 9 Tf 11 TL " + n(m_left) + ' ' + n(y - 9) + " Td\n";
        for (int line = 0; line < lines; ++line) {
            QByteArray text(2 * m_random.bounded(4), ' ');
            for (int i = 6 + m_random.bounded(8); i > 0; --i)
                text += QByteArray(kCode[m_random.bounded(int(std::size(kCode)))]) + ' ';
            m_out += '(' + text + ") Tj T*\n";
        }
        m_out += "ET\n";
        return y - 11 * lines - 14;
    }

    int table(int y)
    {
        const int rows = 3 + m_random.bounded(6);
        const int columns = 2 + m_random.bounded(4);
        const int cell = m_width / columns;
        const int bottom = y - 16 * rows;
        m_out += "0.85 0.9 1 rg " + n(m_left) + ' ' + n(y - 16) + ' ' + n(cell * columns) + " 16 re f 0 g 0.4 w\n";
        for (int row = 0; row <= rows; ++row)
            m_out +=
                n(m_left) + ' ' + n(y - 16 * row) + " m " + n(m_left + cell * columns) + ' ' + n(y - 16 * row) + " l\n";
        for (int column = 0; column <= columns; ++column)
            m_out +=
                n(m_left + cell * column) + ' ' + n(y) + " m " + n(m_left + cell * column) + ' ' + n(bottom) + " l\n";
        m_out += "S\n";
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                m_out += QByteArray("BT ") + (row ? "/F1" : "/F2") + " 8 Tf " + n(m_left + cell * column + 3) + ' '
                         + n(y - 16 * row - 11) + " Td (" + words(1 + m_random.bounded(3)) + ") Tj ET\n";
        return bottom - 12;
    }

    // A plot as papers and data sheets draw it: axes, a grid, ticks and
    // their labels, and measured series as long polylines.
    int chart(int y)
    {
        const int width = m_width - 60;
        const int height = 140;
        const int left = m_left + 40;
        const int bottom = y - height - 10;
        m_out += "q 0.8 G 0.3 w\n";
        for (int tick = 0; tick <= 10; ++tick) {
            const int x = left + tick * width / 10;
            m_out += n(x) + ' ' + n(bottom) + " m " + n(x) + ' ' + n(bottom + height) + " l S\n";
            m_out += "BT /F1 7 Tf " + n(x - 4) + ' ' + n(bottom - 9) + " Td (" + n(tick * 10) + ") Tj ET\n";
        }
        for (int tick = 0; tick <= 5; ++tick) {
            const int rise = bottom + tick * height / 5;
            m_out += n(left) + ' ' + n(rise) + " m " + n(left + width) + ' ' + n(rise) + " l S\n";
        }
        m_out += "0 G 0.8 w " + n(left) + ' ' + n(bottom + height) + " m " + n(left) + ' ' + n(bottom) + " l "
                 + n(left + width) + ' ' + n(bottom) + " l S\n";
        for (int series = 1 + m_random.bounded(3); series > 0; --series) {
            m_out += QByteArray::number(0.25 * series, 'f', 2) + " 0.3 0.7 RG 1 w\n";
            int level = m_random.bounded(height);
            for (int point = 0; point <= 150; ++point) {
                level = qBound(0, level + m_random.bounded(21) - 10, height);
                m_out += QByteArray::number(left + point * width / 150.0, 'f', 1) + ' ' + n(bottom + level)
                         + (point ? " l\n" : " m\n");
            }
            m_out += "S\n";
        }
        m_out += "Q\n";
        return bottom - 24;
    }

    int diagram(int y)
    {
        const int boxes = 2 + m_random.bounded(m_width / 120);
        const int step = m_width / boxes;
        const int middle = y - 60;
        m_out += "q /Soft gs 1 J 1 j\n";
        for (int box = 0; box < boxes; ++box) {
            // A box with round corners, each corner a Bezier curve.
            const int left = m_left + box * step;
            const int right = left + step - 30;
            const int top = middle + 25;
            const int bottom = middle - 25;
            m_out += QByteArray::number(0.3 + 0.1 * (box % 5), 'f', 1) + " 0.6 0.8 rg 0.1 0.2 0.4 RG 1 w " + n(left + 6)
                     + ' ' + n(bottom) + " m " + n(right - 6) + ' ' + n(bottom) + " l " + n(right) + ' ' + n(bottom)
                     + ' ' + n(right) + ' ' + n(bottom) + ' ' + n(right) + ' ' + n(bottom + 6) + " c " + n(right) + ' '
                     + n(top - 6) + " l " + n(right) + ' ' + n(top) + ' ' + n(right) + ' ' + n(top) + ' ' + n(right - 6)
                     + ' ' + n(top) + " c " + n(left + 6) + ' ' + n(top) + " l " + n(left) + ' ' + n(top) + ' '
                     + n(left) + ' ' + n(top) + ' ' + n(left) + ' ' + n(top - 6) + " c " + n(left) + ' ' + n(bottom + 6)
                     + " l " + n(left) + ' ' + n(bottom) + ' ' + n(left) + ' ' + n(bottom) + ' ' + n(left + 6) + ' '
                     + n(bottom) + " c h B\n";
            m_out += "BT 0 g /F1 8 Tf " + n(left + 6) + ' ' + n(middle - 3) + " Td (" + words(2) + ") Tj ET\n";
            if (box + 1 < boxes)
                // An arrow to the next box: a stroked shaft and a filled head.
                m_out += n(right) + ' ' + n(middle) + " m " + n(right + 24) + ' ' + n(middle) + " l S " + n(right + 30)
                         + ' ' + n(middle) + " m " + n(right + 22) + ' ' + n(middle + 4) + " l " + n(right + 22) + ' '
                         + n(middle - 4) + " l h f\n";
        }
        m_out += "Q\n";
        return y - 130;
    }

    QRandomGenerator m_random;
    bool m_wordByWord;
    int m_left = kMargin; // of the column being set
    int m_width = kTextWidth;
    QByteArray m_out;
};

} // namespace

int imageCount(const Document& document)
{
    const auto count = [](const TestPdf::Image& image) {
        return image.kind == Kind::Lost ? 0 : image.draws * (image.softMask && image.kind != Kind::Stencil ? 2 : 1);
    };
    int images = 0;
    for (const Figure& figure : document.figures)
        images += count(figure.image);
    for (const TestPdf::Image& image : document.letterhead)
        images += document.pages * count(image);
    return images;
}

bool write(const QString& path, const Document& document)
{
    Writer writer;
    Typesetter typesetter(document.seed);
    const int catalog = writer.reserve();
    const int pages = writer.reserve();
    QByteArray fonts;
    int number = 1;
    for (const char* name : {"Helvetica", "Helvetica-Bold", "Courier", "Times-Roman"}) {
        const int font = writer.reserve();
        writer.dictionary(font,
                          QByteArray("/Type /Font /Subtype /Type1 /BaseFont /") + name + " /Encoding /WinAnsiEncoding");
        fonts += "/F" + n(number++) + ' ' + n(font) + " 0 R ";
    }
    const int soft = writer.reserve();
    writer.dictionary(soft, "/Type /ExtGState /ca 0.6 /CA 0.9");

    // The running head: a rule, a round mark drawn with curves, the title and
    // the letterhead's images, one form that every page draws.
    const int head = writer.reserve();
    QByteArray headImages;
    QByteArray headDrawing =
        "0.2 0.3 0.6 RG 0.5 w 72 738 m 540 738 l S 0.2 0.3 0.6 rg 86 756 m 86 763.7 79.7 770 72 770 "
        "c 64.3 770 58 763.7 58 756 c 58 748.3 64.3 742 72 742 c 79.7 742 86 748.3 86 756 c f\n"
        "BT 0 g /F2 9 Tf 96 752 Td ("
        + typesetter.words(5) + ") Tj ET\n";
    for (qsizetype i = 0; i < document.letterhead.size(); ++i) {
        const TestPdf::Image& image = document.letterhead.at(i);
        const QByteArray name = "/Mark" + n(i);
        if (const int object = imageObject(writer, image))
            headImages += name + ' ' + n(object) + " 0 R ";
        headDrawing += placed(image, name, int(kPageWidth - kMargin - 30 * (i + 1)), 744, 24, 24);
    }
    writer.deflated(head,
                    "/Type /XObject /Subtype /Form /BBox [0 0 " + n(kPageWidth) + ' ' + n(kPageHeight)
                        + "] /Resources << /Font << " + fonts + ">> /XObject << " + headImages + ">> >>",
                    headDrawing);

    QByteArray kids;
    for (int page = 0; page < document.pages; ++page) {
        QByteArray images;
        QByteArray drawing;
        int y = 520;
        int named = 0;
        for (const Figure& figure : document.figures) {
            if (figure.page != page)
                continue;
            const QByteArray name = "/Im" + n(named++);
            if (const int object = imageObject(writer, figure.image))
                images += name + ' ' + n(object) + " 0 R ";
            drawing += placed(figure.image, name, kMargin, y, kTextWidth, 180);
            y = y > 200 ? y - 190 : 520;
        }
        const int content = writer.reserve();
        writer.deflated(content, {}, drawing + typesetter.page(page + 1));
        const int object = writer.reserve();
        writer.dictionary(object, "/Type /Page /Parent " + n(pages) + " 0 R /MediaBox [0 0 " + n(kPageWidth) + ' '
                                      + n(kPageHeight) + "] /Resources << /Font << " + fonts + ">> /ExtGState << /Soft "
                                      + n(soft) + " 0 R >> /XObject << /Head " + n(head) + " 0 R " + images
                                      + ">> >> /Contents " + n(content) + " 0 R");
        kids += n(object) + " 0 R ";
    }
    writer.dictionary(pages, "/Type /Pages /Kids [ " + kids + "] /Count " + n(document.pages));
    writer.dictionary(catalog, "/Type /Catalog /Pages " + n(pages) + " 0 R");
    const QByteArray data = writer.finish(catalog);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace TestDocument
