// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPdf.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>

namespace TestPdf {

namespace {

QImage Picture(const Image& wanted)
{
    QImage image(wanted.width, wanted.height, QImage::Format_RGB32);
    for (int y = 0; y < wanted.height; ++y)
        for (int x = 0; x < wanted.width; ++x) {
            // Smooth gradients with a little texture, different for every seed.
            const int r = (x * 255 / qMax(1, wanted.width - 1) + wanted.seed * 37) & 0xff;
            const int g = (y * 255 / qMax(1, wanted.height - 1) + wanted.seed * 91) & 0xff;
            const int b = ((x ^ y) * 7 + wanted.seed * 53) & 0xff;
            image.setPixel(x, y, qRgb(r, g, b));
        }
    return image;
}

QByteArray deflate(const QByteArray& data)
{
    // qCompress puts a four-byte length before a zlib stream; PDF wants the
    // zlib stream alone.
    return qCompress(data, 6).mid(4);
}

struct ImageObject {
    QByteArray dictionary;
    QByteArray stream;
};

ImageObject encode(const Image& wanted)
{
    const QImage picture = Picture(wanted);
    ImageObject object;
    QByteArray head = "/Type /XObject /Subtype /Image /Width " + QByteArray::number(wanted.width) + " /Height "
                      + QByteArray::number(wanted.height);
    QByteArray raw;
    switch (wanted.kind) {
    case Kind::Rgb:
        for (int y = 0; y < wanted.height; ++y)
            for (int x = 0; x < wanted.width; ++x) {
                const QRgb p = picture.pixel(x, y);
                raw.append(char(qRed(p))).append(char(qGreen(p))).append(char(qBlue(p)));
            }
        object.stream = deflate(raw);
        object.dictionary = head + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode";
        break;
    case Kind::Gray:
        for (int y = 0; y < wanted.height; ++y)
            for (int x = 0; x < wanted.width; ++x)
                raw.append(char(qGray(picture.pixel(x, y))));
        object.stream = deflate(raw);
        object.dictionary = head + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode";
        break;
    case Kind::Mono: {
        const int rowBytes = (wanted.width + 7) / 8;
        for (int y = 0; y < wanted.height; ++y) {
            QByteArray row(rowBytes, 0);
            for (int x = 0; x < wanted.width; ++x)
                if (qGray(picture.pixel(x, y)) > 127)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            raw.append(row);
        }
        object.stream = deflate(raw);
        object.dictionary = head + " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /FlateDecode";
        break;
    }
    case Kind::Jpeg:
        object.stream = jpegData(wanted);
        object.dictionary = head + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode";
        break;
    case Kind::Undecodable:
        object.stream = QByteArray("\x12\x34\x56\x78\x9a\xbc\xde\xf0").repeated(5);
        object.dictionary = head + " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode /DecodeParms"
                            + " << /K -1 /Columns " + QByteArray::number(wanted.width) + " /Rows "
                            + QByteArray::number(wanted.height) + " >>";
        break;
    case Kind::Lost:
    case Kind::Stencil:
        break;
    }
    object.dictionary += " /Length " + QByteArray::number(object.stream.size());
    return object;
}

class Writer
{
public:
    int reserve()
    {
        m_offsets.append(0);
        return int(m_offsets.size());
    }
    void object(int number, const QByteArray& body, const QByteArray& stream = {}, bool hasStream = false)
    {
        m_offsets[number - 1] = m_out.size();
        m_out += QByteArray::number(number) + " 0 obj\n<< " + body + " >>\n";
        if (hasStream)
            m_out += "stream\n" + stream + "\nendstream\n";
        m_out += "endobj\n";
    }
    QByteArray finish(int root)
    {
        const qsizetype xref = m_out.size();
        m_out += "xref\n0 " + QByteArray::number(m_offsets.size() + 1) + "\n0000000000 65535 f \n";
        for (qsizetype offset : std::as_const(m_offsets))
            m_out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        m_out += "trailer\n<< /Size " + QByteArray::number(m_offsets.size() + 1) + " /Root " + QByteArray::number(root)
                 + " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return m_out;
    }
    QByteArray m_out = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";

private:
    QList<qsizetype> m_offsets;
};

bool save(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// The operators that draw the image, each time a little higher up the page.
QByteArray drawing(const Image& wanted)
{
    QByteArray inlineImage;
    if (wanted.kind == Kind::Stencil) {
        const QByteArray rows((wanted.width + 7) / 8 * wanted.height, char(0x55 + wanted.seed));
        inlineImage = "BI /W " + QByteArray::number(wanted.width) + " /H " + QByteArray::number(wanted.height)
                      + " /IM true ID " + rows + " EI";
    }
    QByteArray draw = wanted.drawing;
    for (int n = 0; n < wanted.draws; ++n)
        draw += "\nq " + QByteArray::number(wanted.width) + " 0 0 " + QByteArray::number(wanted.height) + " 0 "
                + QByteArray::number(n) + " cm " + (inlineImage.isEmpty() ? QByteArray("/Im0 Do") : inlineImage) + " Q";
    return draw;
}

} // namespace

QByteArray jpegData(const Image& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    Picture(image).save(&buffer, "JPG", 85);
    return data;
}

bool write(const QString& path, const QList<Image>& images)
{
    Writer writer;
    const int catalog = writer.reserve();
    const int pages = writer.reserve();
    QList<int> pageObjects;
    for (const Image& wanted : images) {
        const bool object = wanted.kind != Kind::Lost && wanted.kind != Kind::Stencil;
        const int image = object ? writer.reserve() : 0;
        const int content = writer.reserve();
        const int page = writer.reserve();
        if (object) {
            ImageObject encoded = encode(wanted);
            if (wanted.softMask) {
                const int mask = writer.reserve();
                Image alpha = wanted;
                alpha.kind = Kind::Gray;
                alpha.seed += 7;
                if (wanted.maskSize.isValid()) {
                    alpha.width = wanted.maskSize.width();
                    alpha.height = wanted.maskSize.height();
                }
                const ImageObject encodedMask = encode(alpha);
                writer.object(mask, encodedMask.dictionary, encodedMask.stream, true);
                encoded.dictionary += " /SMask " + QByteArray::number(mask) + " 0 R";
            }
            writer.object(image, encoded.dictionary, encoded.stream, true);
        }
        const QByteArray draw = drawing(wanted);
        writer.object(content, "/Length " + QByteArray::number(draw.size()), draw, true);
        // A graphics state with a blend mode no PDF defines, for pages that use it.
        const QByteArray odd = "/ExtGState << /Odd << /BM /Nonsense >> >>";
        const QByteArray resources = object
                                         ? "<< /XObject << /Im0 " + QByteArray::number(image) + " 0 R >> " + odd + " >>"
                                         : "<< " + odd + " >>";
        writer.object(page, "/Type /Page /Parent " + QByteArray::number(pages) + " 0 R /MediaBox [0 0 "
                                + QByteArray::number(wanted.width) + ' ' + QByteArray::number(wanted.height)
                                + "] /Resources " + resources + " /Contents " + QByteArray::number(content) + " 0 R");
        pageObjects.append(page);
    }
    if (images.isEmpty()) {
        const int content = writer.reserve();
        const int page = writer.reserve();
        const QByteArray draw = "0 0 1 rg 10 10 50 50 re f";
        writer.object(content, "/Length " + QByteArray::number(draw.size()), draw, true);
        writer.object(page, "/Type /Page /Parent " + QByteArray::number(pages)
                                + " 0 R /MediaBox [0 0 100 100] /Contents " + QByteArray::number(content) + " 0 R");
        pageObjects.append(page);
    }
    QByteArray kids;
    for (int page : std::as_const(pageObjects))
        kids += QByteArray::number(page) + " 0 R ";
    writer.object(pages, "/Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(pageObjects.size()));
    writer.object(catalog, "/Type /Catalog /Pages " + QByteArray::number(pages) + " 0 R");
    return save(path, writer.finish(catalog));
}

EncodedImage encodeImage(const Image& image)
{
    if (image.kind == Kind::Lost || image.kind == Kind::Stencil)
        return {};
    ImageObject object = encode(image);
    return {std::move(object.dictionary), std::move(object.stream)};
}

} // namespace TestPdf
