#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <vector>

namespace richtext::detail {

// Fonts with \fcharset2 (Symbol, Wingdings): bytes are glyph numbers.
constexpr int kSymbolCodePage = 42;

// The code page a font's \fcharset selects; ansiCodePage for ANSI (0) and default (1).
int codePageForCharset(int charset, int ansiCodePage);
// kSymbolCodePage for the symbol fonts old files name without \fcharset2, else 0.
int codePageForFontName(QStringView name);
// True for the code pages whose characters may take two bytes.
bool isDoubleByteCodePage(int codePage);

// The usual list bullets of symbol fonts as Unicode bullets; other characters unchanged.
char16_t symbolFontBullet(char16_t c);

// Decodes bytes of a Windows code page, keeping one decoder per code page. Unknown code pages
// decode as 1252.
class CodePageDecoder
{
public:
    void decode(QByteArrayView bytes, int codePage, QString &out);

private:
    QStringDecoder *decoderFor(int codePage);

    struct Entry
    {
        int codePage;
        std::unique_ptr<QStringDecoder> decoder;
    };
    std::vector<Entry> m_decoders;
};

} // namespace richtext::detail
