#include "richtext/rtf_codepage.h"

namespace richtext::detail {

namespace {

const char *encodingName(int codePage)
{
    switch (codePage) {
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 874:
        return "windows-874";
    case 932:
        return "windows-31j";
    case 936:
        return "windows-936";
    case 949:
        return "windows-949";
    case 950:
        return "windows-950";
    case 10000:
        return "macintosh";
    case 65001:
        return "UTF-8";
    default:
        return "windows-1252";
    }
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

int codePageForCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0:
    case 1:
        return ansiCodePage;
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
    case 255:
        return 437;
    default:
        return ansiCodePage;
    }
}

int codePageForFontName(QStringView name)
{
    if (name.compare(u"Symbol", Qt::CaseInsensitive) == 0
        || name.startsWith(u"Wingdings", Qt::CaseInsensitive)
        || name.compare(u"Webdings", Qt::CaseInsensitive) == 0)
        return kSymbolCodePage;
    return 0;
}

bool isDoubleByteCodePage(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

QStringDecoder *CodePageDecoder::decoderFor(int codePage)
{
    for (const Entry &entry : m_decoders) {
        if (entry.codePage == codePage)
            return entry.decoder.get();
    }
    auto decoder =
        std::make_unique<QStringDecoder>(encodingName(codePage), QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        decoder = std::make_unique<QStringDecoder>("windows-1252", QStringDecoder::Flag::Stateless);
    m_decoders.push_back({codePage, std::move(decoder)});
    return m_decoders.back().decoder.get();
}

void CodePageDecoder::decode(QByteArrayView bytes, int codePage, QString &out)
{
    if (bytes.isEmpty())
        return;
    // Most RTF text is ASCII, which every supported code page maps to itself.
    if (isAscii(bytes)) {
        out.append(QLatin1StringView(bytes.data(), bytes.size()));
        return;
    }
    const qsizetype start = out.size();
    out.append(decoderFor(codePage)->decode(bytes));
    if (codePage == kSymbolCodePage) {
        for (qsizetype i = start; i < out.size(); ++i)
            out[i] = QChar(symbolFontBullet(out.at(i).unicode()));
    }
}

char16_t symbolFontBullet(char16_t c)
{
    // A symbol font's glyph is at U+F020 to U+F0FF (\u) or at its byte read as Windows-1252.
    const char16_t glyph = c >= 0xf020 && c <= 0xf0ff ? c - 0xf000 : c;
    switch (glyph) {
    case 0xb7:
        return 0x2022; // Symbol's bullet
    case 0xa7:
        return 0x25aa; // Wingdings' small square
    case 0xd8:
        return 0x27a2; // Wingdings' arrowhead
    case 0xfc:
        return 0x2714; // Wingdings' check mark
    default:
        return c;
    }
}

} // namespace richtext::detail
