#include "richtext/rtf_reader.h"

#include "richtext/rtf_reader_impl.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

namespace richtext {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool startsAsRtf(QByteArrayView input)
{
    qsizetype pos = 0;
    while (pos < input.size() && isBlank(input[pos]))
        ++pos;
    return input.sliced(pos).startsWith("{\\rtf");
}

RtfReadReport insertPlainText(QByteArrayView input, QTextCursor &cursor)
{
    QByteArrayView bytes = input;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QStringDecoder("windows-1252").decode(input);
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    cursor.insertText(text);
    RtfReadReport report;
    report.wasRtf = false;
    return report;
}

RtfReadReport importAt(QByteArrayView input, QTextCursor &cursor, detail::RtfReaderImpl::Mode mode)
{
    if (!startsAsRtf(input))
        return insertPlainText(input, cursor);
    detail::RtfReaderImpl reader(input, cursor, mode);
    return reader.run();
}

} // namespace

RtfReadReport RtfReader::read(QByteArrayView rtf, QTextDocument *document)
{
    if (!document) {
        RtfReadReport report;
        report.problem = QStringLiteral("no document to read into");
        return report;
    }
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.setCharFormat(QTextCharFormat());
    RtfReadReport report = importAt(rtf, cursor, detail::RtfReaderImpl::Mode::Replace);
    cursor.endEditBlock();
    return report;
}

RtfReadReport RtfReader::insert(QByteArrayView rtf, QTextCursor &cursor)
{
    if (cursor.isNull()) {
        RtfReadReport report;
        report.problem = QStringLiteral("no document to insert into");
        return report;
    }
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    RtfReadReport report = importAt(rtf, cursor, detail::RtfReaderImpl::Mode::Insert);
    cursor.endEditBlock();
    return report;
}

namespace detail {

namespace {

// Deeper groups are skipped whole: the state stack stays small whatever the input.
constexpr int kMaxDepth = 1000;

constexpr double kTwipsPerPixel = 15.0;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xd800 && c < 0xdc00;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xdc00 && c < 0xe000;
}

// Unpaired surrogates from \u become U+FFFD so the document holds valid UTF-16.
void repairSurrogates(QString &text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (isHighSurrogate(c) && i + 1 < size && isLowSurrogate(text.at(i + 1).unicode())) {
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

bool isAllBlank(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (!isBlank(c) && c != '\0')
            return false;
    }
    return true;
}

} // namespace

RtfReaderImpl::RtfReaderImpl(QByteArrayView input, QTextCursor &cursor, Mode mode)
    : m_tokenizer(input)
    , m_cursor(cursor)
    , m_document(cursor.document())
    , m_mode(mode)
    , m_originalBlockFormat(cursor.blockFormat())
{
    m_state.codePage = m_ansiCodePage;
    // Limits in proportion to the input, so that damaged or hostile input cannot make a
    // document far larger than itself: a real table cell takes at least a few bytes of RTF,
    // and pictures may decode to some pixels per byte beyond a fixed allowance.
    m_cellBudget = input.size() / 2 + 256;
    m_pixelBudget = qint64(16) * 1024 * 1024 + qint64(4) * input.size();
}

void RtfReaderImpl::noteProblem(const QString &problem)
{
    if (m_report.problem.isEmpty())
        m_report.problem = problem;
}

RtfReadReport RtfReaderImpl::run()
{
    bool started = false;
    bool ended = false;
    for (;;) {
        const RtfToken token = m_tokenizer.next();
        if (token.type == RtfTokenType::End)
            break;
        // Only blanks come before the document's "{" (the caller checked for "{\rtf").
        if (!started && token.type != RtfTokenType::GroupStart)
            continue;
        started = true;
        if (ended) {
            // The document ended with its first group, as other readers take it: what follows
            // is left out, and noted unless it is blank.
            if (token.type == RtfTokenType::GroupEnd) {
                noteProblem(
                    QStringLiteral("unbalanced braces: an extra '}' at byte %1").arg(token.offset));
                break;
            }
            if (token.type != RtfTokenType::Text || !isAllBlank(token.text)) {
                noteProblem(QStringLiteral("content after the end of the document at byte %1")
                                .arg(token.offset));
                break;
            }
            continue;
        }
        switch (token.type) {
        case RtfTokenType::End:
            break;
        case RtfTokenType::GroupStart:
            groupStart();
            break;
        case RtfTokenType::GroupEnd:
            groupEnd();
            ended = m_depth == 0;
            break;
        case RtfTokenType::ControlWord:
            if (m_overflowDepth == 0)
                controlWord(token);
            break;
        case RtfTokenType::ControlSymbol:
            if (m_overflowDepth == 0)
                controlSymbol(token);
            break;
        case RtfTokenType::Text:
            if (m_overflowDepth == 0)
                text(token.text);
            break;
        case RtfTokenType::Binary:
            if (m_overflowDepth == 0)
                binary(token.text);
            break;
        }
    }
    if (m_tokenizer.truncated())
        noteProblem(QStringLiteral("the input ends in the middle of a control word or data"));
    if (m_depth > 0 || m_overflowDepth > 0)
        noteProblem(QStringLiteral("the input ends with %1 groups still open")
                        .arg(m_depth + m_overflowDepth));
    // Close what the input left open, innermost first, so pictures and fields finish.
    m_overflowDepth = 0;
    while (m_depth > 0)
        groupEnd();
    decodeBytes();
    flushText();
    trimTable();
    if (m_mode == Mode::Insert) {
        // The cursor ends after what was inserted, and the pasted text that has no paragraph
        // end of its own joins the paragraph it lands in, which keeps its format, as it does
        // in word processors.
        if (m_table) {
            applyBlockFormat(m_blockHasContent ? m_blockPara : m_closingPara);
            closeTable();
        }
        if (m_endedParagraph)
            m_cursor.setBlockFormat(m_originalBlockFormat);
    } else {
        // The last paragraph keeps what it had when it got content, or, when it has none, what
        // the document stated last.
        applyBlockFormat(m_blockHasContent ? m_blockPara : m_closingPara);
    }
    return m_report;
}

void RtfReaderImpl::groupStart()
{
    if (m_overflowDepth > 0 || m_depth >= kMaxDepth) {
        if (m_overflowDepth == 0)
            noteProblem(QStringLiteral("groups nested deeper than %1 levels at byte %2")
                            .arg(kMaxDepth)
                            .arg(m_tokenizer.position() - 1));
        ++m_overflowDepth;
        return;
    }
    decodeBytes();
    m_pendingSkip = 0;
    m_stack.append(m_state);
    m_state.ignorable = false;
    ++m_depth;
    if (m_state.destination == Destination::StyleSheet)
        beginStyle();
}

void RtfReaderImpl::groupEnd()
{
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    decodeBytes();
    m_pendingSkip = 0;
    const Destination leaving = m_state.destination;
    // An entry ends with its group; groups inside it hold parts of its name.
    if (leaving == Destination::FontTable && m_inFontEntry && m_depth <= m_fontEntryDepth)
        finishFontName();
    if (leaving == Destination::StyleEntry && m_stack.last().destination == Destination::StyleSheet)
        finishStyle();
    // What the document's group stated last: the state outside it knows none of it.
    if (m_depth == 1)
        m_closingPara = m_state.para;
    m_state = m_stack.takeLast();
    --m_depth;
    if (m_pictureDepth > m_depth) {
        m_pictureDepth = -1;
        finishPicture();
    }
    while (!m_fields.isEmpty() && m_fields.last().depth > m_depth) {
        const Field field = m_fields.takeLast();
        finishField(field.instruction, field.resultShown);
    }
    // A \pn group numbers the paragraphs of the group around it.
    if (leaving == Destination::OldNumbering && m_state.destination != Destination::OldNumbering
        && !m_oldNumberings.isEmpty())
        m_state.para.oldNumbering = static_cast<int>(m_oldNumberings.size() - 1);
    // The fonts, or the styles that name them, are known now.
    if ((leaving == Destination::FontTable || leaving == Destination::StyleSheet)
        && m_state.destination != leaving)
        updateCodePage();
    m_tokenizer.setDoubleByteCodePage(
        isDoubleByteCodePage(m_state.codePage) ? m_state.codePage : 0);
}

void RtfReaderImpl::controlWord(const RtfToken &token)
{
    decodeBytes();
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    const std::string_view name(token.text.data(), static_cast<size_t>(token.text.size()));
    const Word *word = findWord(m_state.destination, name);
    if (m_state.ignorable) {
        // "{\*\word": a destination this reader does not know is skipped whole.
        m_state.ignorable = false;
        if (!word || !word->destination) {
            m_state.destination = Destination::Skip;
            return;
        }
    }
    if (!word)
        return;
    (this->*word->handler)(token.hasParameter ? token.parameter : word->defaultArgument);
}

void RtfReaderImpl::controlSymbol(const RtfToken &token)
{
    const char symbol = token.text.isEmpty() ? '\0' : token.text[0];
    if (symbol == '\'') {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (token.parameter < 0) {
            noteProblem(
                QStringLiteral("a \\' escape without two hex digits at byte %1").arg(token.offset));
            return;
        }
        const char byte = static_cast<char>(token.parameter);
        text(QByteArrayView(&byte, 1));
        return;
    }
    decodeBytes();
    if (symbol == '*') {
        m_state.ignorable = true;
        return;
    }
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendChar(static_cast<char16_t>(symbol));
        break;
    case '~':
        appendChar(0x00a0);
        break;
    case '_':
        appendChar(0x2011);
        break;
    case '-':
        appendChar(0x00ad);
        break;
    case '\r':
    case '\n':
        wordPar(0);
        break;
    default:
        break; // \| \: and unknown symbols
    }
}

void RtfReaderImpl::text(QByteArrayView bytes)
{
    if (m_pendingSkip > 0) {
        const qsizetype skipped = std::min<qsizetype>(m_pendingSkip, bytes.size());
        m_pendingSkip -= static_cast<int>(skipped);
        bytes = bytes.sliced(skipped);
    }
    if (bytes.isEmpty())
        return;
    switch (m_state.destination) {
    case Destination::Body:
    case Destination::ListText:
    case Destination::FieldInstruction:
    case Destination::LevelText:
    case Destination::OldNumberingText:
        appendBytes(bytes);
        break;
    case Destination::FontTable:
        // "\f1\fcharset0 Name;": the name runs to the semicolon.
        for (qsizetype start = 0; start < bytes.size();) {
            const qsizetype end = bytes.indexOf(';', start);
            appendBytes(end < 0 ? bytes.sliced(start) : bytes.sliced(start, end - start));
            if (end < 0)
                break;
            finishFontName();
            start = end + 1;
        }
        break;
    case Destination::ColorTable:
        for (char c : bytes) {
            if (c == ';')
                finishColor();
        }
        break;
    case Destination::Picture:
        pictureHex(bytes);
        break;
    case Destination::Skip:
    case Destination::AnsiAlternative:
    case Destination::ListTable:
    case Destination::OldNumbering:
    case Destination::StyleSheet:
    case Destination::StyleEntry: // style names are not needed
        break;
    }
}

void RtfReaderImpl::binary(QByteArrayView bytes)
{
    if (m_state.destination == Destination::Picture) {
        m_picture.data.append(bytes.data(), bytes.size());
        m_picture.pendingNibble = -1;
    }
}

int RtfReaderImpl::textCodePage() const
{
    auto fontCodePage = [this](int font) {
        const auto found = m_fonts.constFind(font);
        return found != m_fonts.constEnd() && found->codePage ? found->codePage : m_ansiCodePage;
    };
    switch (m_state.destination) {
    case Destination::FontTable:
        return m_fontEntry.codePage ? m_fontEntry.codePage : m_ansiCodePage;
    case Destination::LevelText:
        // Level text holds placeholder bytes 0 to 8; the document's code page keeps them.
        return m_ansiCodePage;
    case Destination::OldNumberingText:
        return fontCodePage(m_oldNumberings.isEmpty() ? -1 : m_oldNumberings.last().font);
    default:
        return m_state.codePage;
    }
}

bool RtfReaderImpl::inBodyText() const
{
    return m_state.destination == Destination::Body || m_state.destination == Destination::ListText;
}

void RtfReaderImpl::appendBytes(QByteArrayView bytes)
{
    const int codePage = textCodePage();
    if (!m_bytes.isEmpty() && codePage != m_bytesCodePage)
        decodeBytes();
    m_bytesCodePage = codePage;
    m_bytes.append(bytes.data(), bytes.size());
}

void RtfReaderImpl::decodeBytes()
{
    if (m_bytes.isEmpty())
        return;
    m_decoded.resize(0);
    m_decoder.decode(m_bytes, m_bytesCodePage, m_decoded);
    m_bytes.resize(0);
    appendChars(m_decoded);
}

void RtfReaderImpl::appendChar(char16_t c)
{
    decodeBytes();
    appendChars(QStringView(&c, 1));
}

void RtfReaderImpl::appendChars(QStringView chars)
{
    switch (m_state.destination) {
    case Destination::Body:
    case Destination::ListText:
        break;
    case Destination::FieldInstruction:
        if (!m_fields.isEmpty())
            m_fields.last().instruction.append(chars);
        return;
    case Destination::FontTable:
        m_fontEntry.name.append(chars);
        return;
    case Destination::LevelText:
        if (ListLevel *level = currentListLevel())
            level->text.append(chars);
        return;
    case Destination::OldNumberingText:
        if (!m_oldNumberings.isEmpty()) {
            OldNumbering &numbering = m_oldNumberings.last();
            (m_oldNumberingText ? numbering.after : numbering.before).append(chars);
        }
        return;
    default:
        return;
    }
    if (chars.isEmpty())
        return;
    const CharProps shown = shownChars();
    if (shown.hidden)
        return;
    if (!m_fields.isEmpty())
        m_fields.last().resultShown = true;
    if (!m_blockHasContent && !m_sawListText && m_state.destination == Destination::Body)
        insertListLabel();
    prepareContent();
    if (!m_text.isEmpty() && !(m_textProps == shown))
        flushText();
    m_textProps = shown;
    const qsizetype before = m_text.size();
    for (QChar c : chars) {
        // An escaped line end (\'0d, \'0a) breaks the line; other C0 controls are not text.
        if (c.unicode() >= 0x20 || c.unicode() == '\t')
            m_text.append(c);
        else if (c.unicode() == '\r' || c.unicode() == '\n')
            m_text.append(QChar::LineSeparator);
    }
    if (m_text.size() > before) {
        m_blockHasContent = true;
        m_blockPara = m_state.para;
    }
}

void RtfReaderImpl::flushText()
{
    if (m_text.isEmpty())
        return;
    repairSurrogates(m_text);
    m_cursor.insertText(m_text, charFormat(m_textProps));
    m_text.resize(0);
}

QTextCharFormat RtfReaderImpl::charFormat(const CharProps &props)
{
    if (m_haveFormat && m_formatProps == props)
        return m_format;
    QTextCharFormat format;
    // Size and weight only where the RTF states them: the rest is the display's base font.
    if (props.bold >= 0)
        format.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(props.italic);
    format.setFontStrikeOut(props.strike);
    switch (props.underline) {
    case Underline::None:
        break;
    case Underline::Single:
    case Underline::Double:
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        break;
    case Underline::Dotted:
        format.setUnderlineStyle(QTextCharFormat::DotLine);
        break;
    case Underline::Dash:
        format.setUnderlineStyle(QTextCharFormat::DashUnderline);
        break;
    case Underline::DashDot:
        format.setUnderlineStyle(QTextCharFormat::DashDotLine);
        break;
    case Underline::DashDotDot:
        format.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
        break;
    case Underline::Wave:
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        break;
    }
    if (props.vertical == VerticalPosition::Super)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (props.vertical == VerticalPosition::Sub)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    else if (props.raise != 0) // in percent of the size, 12 pt where none is stated
        format.setBaselineOffset(
            props.raise * 100.0 / (props.halfPoints > 0 ? props.halfPoints : 24));
    if (props.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (props.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (props.halfPoints > 0)
        format.setFontPointSize(props.halfPoints / 2.0);
    const auto font = m_fonts.constFind(props.font);
    if (font != m_fonts.constEnd() && !font->name.isEmpty())
        format.setFontFamilies(QStringList {font->name});
    if (props.foreground > 0 && props.foreground < m_colors.size()
        && m_colors.at(props.foreground).isValid())
        format.setForeground(m_colors.at(props.foreground));
    // \highlight wins over \cb, as it does in word processors.
    const int background = props.highlight > 0 ? props.highlight : props.background;
    if (background > 0 && background < m_colors.size() && m_colors.at(background).isValid())
        format.setBackground(m_colors.at(background));
    if (props.link >= 0 && props.link < m_links.size()) {
        format.setAnchor(true);
        format.setAnchorHref(m_links.at(props.link));
    }
    m_format = format;
    m_formatProps = props;
    m_haveFormat = true;
    return m_format;
}

void RtfReaderImpl::updateCodePage()
{
    const auto font = m_fonts.constFind(shownChars().font);
    m_state.codePage =
        (font != m_fonts.constEnd() && font->codePage) ? font->codePage : m_ansiCodePage;
    m_tokenizer.setDoubleByteCodePage(
        isDoubleByteCodePage(m_state.codePage) ? m_state.codePage : 0);
}

void RtfReaderImpl::finishFontName()
{
    decodeBytes();
    // Text without a \f before it names no font.
    if (m_inFontEntry) {
        m_fontEntry.name = m_fontEntry.name.trimmed();
        if (m_fontEntry.codePage == 0)
            m_fontEntry.codePage = codePageForFontName(m_fontEntry.name);
        m_fonts.insert(m_fontEntry.number, m_fontEntry);
        m_fontNames.insert(m_fontEntry.name.toCaseFolded(), m_fontEntry.number);
    }
    m_fontEntry = FontEntry();
    m_inFontEntry = false;
    m_haveFormat = false;
}

void RtfReaderImpl::finishColor()
{
    if (m_red < 0 && m_green < 0 && m_blue < 0)
        m_colors.append(QColor());
    else
        m_colors.append(QColor(
            std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255), std::clamp(m_blue, 0, 255)));
    m_red = m_green = m_blue = -1;
    m_haveFormat = false;
}

void RtfReaderImpl::applyBlockFormat(const ParaProps &stated)
{
    const ParaProps para = shownPara(stated);
    QTextBlockFormat format;
    switch (para.alignment) {
    case Alignment::Left:
        format.setAlignment(Qt::AlignLeft);
        break;
    case Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    case Alignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    format.setLeftMargin(para.leftIndent / kTwipsPerPixel);
    format.setRightMargin(para.rightIndent / kTwipsPerPixel);
    format.setTextIndent(para.firstIndent / kTwipsPerPixel);
    format.setTopMargin(para.spaceBefore / kTwipsPerPixel);
    format.setBottomMargin(para.spaceAfter / kTwipsPerPixel);
    if (para.lineSpacing != 0) {
        if (para.lineMultiple && para.lineSpacing > 0)
            format.setLineHeight(
                para.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (para.lineSpacing > 0)
            format.setLineHeight(
                para.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        else
            format.setLineHeight(-para.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    }
    // Qt measures tab stops from where the first line starts, RTF from the left margin; a
    // hanging indent has an implicit stop at the left indent, where list text starts.
    const int lineStart = para.leftIndent + para.firstIndent;
    QList<QTextOption::Tab> tabs;
    bool hangingStop = para.firstIndent >= 0;
    for (const TabStop &stop : para.tabs) {
        if (stop.position <= lineStart)
            continue;
        if (!hangingStop && stop.position >= para.leftIndent) {
            if (stop.position > para.leftIndent)
                tabs.append(QTextOption::Tab(
                    (para.leftIndent - lineStart) / kTwipsPerPixel, QTextOption::LeftTab));
            hangingStop = true;
        }
        static constexpr QTextOption::TabType kTypes[] = {QTextOption::LeftTab,
            QTextOption::RightTab, QTextOption::CenterTab, QTextOption::DelimiterTab};
        tabs.append(QTextOption::Tab((stop.position - lineStart) / kTwipsPerPixel,
            kTypes[std::min<int>(stop.kind, 3)], stop.kind == 3 ? QChar(u'.') : QChar()));
    }
    if (!hangingStop)
        tabs.append(QTextOption::Tab(-para.firstIndent / kTwipsPerPixel, QTextOption::LeftTab));
    if (!tabs.isEmpty())
        format.setTabPositions(tabs);
    if (m_pageBreakBefore || para.pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (para.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    m_pageBreakBefore = false;
    m_cursor.setBlockFormat(format);
}

void RtfReaderImpl::endParagraph()
{
    decodeBytes();
    prepareContent();
    flushText();
    applyBlockFormat(m_state.para);
    m_cursor.insertBlock(QTextBlockFormat(), charFormat(shownChars()));
    m_endedParagraph = true;
    m_blockHasContent = false;
    m_sawListText = false;
}

void RtfReaderImpl::finishPicture()
{
    const Picture picture = std::exchange(m_picture, Picture());
    if (!inBodyText() || shownChars().hidden || !m_document)
        return;
    const PictureImage built = buildPicture(picture, m_pixelBudget);
    if (built.image.isNull())
        return;
    prepareContent();
    flushText();
    QUrl name;
    do {
        name = QUrl(QStringLiteral("rtfimage:%1").arg(++m_imageCount));
    } while (!m_document->resource(QTextDocument::ImageResource, name).isNull());
    m_document->addResource(QTextDocument::ImageResource, name, built.image);
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(built.size.width());
    format.setHeight(built.size.height());
    m_cursor.insertImage(format);
    m_blockHasContent = true;
    m_blockPara = m_state.para;
}

void RtfReaderImpl::pictureHex(QByteArrayView bytes)
{
    QByteArray &data = m_picture.data;
    for (char c : bytes) {
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            continue;
        if (m_picture.pendingNibble < 0) {
            m_picture.pendingNibble = value;
        } else {
            data.append(static_cast<char>(m_picture.pendingNibble * 16 + value));
            m_picture.pendingNibble = -1;
        }
    }
}

void RtfReaderImpl::fieldResultStarts()
{
    if (m_fields.isEmpty())
        return;
    const QString target = hyperlinkTarget(m_fields.last().instruction);
    if (target.isEmpty())
        return;
    if (m_links.isEmpty() || m_links.last() != target)
        m_links.append(target);
    m_state.chars.link = static_cast<int>(m_links.size() - 1);
}

} // namespace detail

} // namespace richtext
