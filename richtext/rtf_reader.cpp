#include "richtext/rtf_reader.h"

#include "richtext/rtf_reader_impl.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QTextTable> // a QPointer<QTextTable> in the state needs it whole

#include <algorithm>
#include <utility>

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
    , m_mode(mode)
    , m_cursor(cursor)
    , m_document(cursor.document())
{
    m_state.codePage = m_tables.ansiCodePage;
    m_paragraph.originalFormat = cursor.blockFormat();
    // Limits in proportion to the input, so that damaged or hostile input cannot make a
    // document far larger than itself: a real table cell takes at least a few bytes of RTF,
    // and pictures may decode to some pixels per byte beyond a fixed allowance.
    m_table.cellBudget = input.size() / 2 + 256;
    m_counters.pixelBudget = qint64(16) * 1024 * 1024 + qint64(4) * input.size();
}

void RtfReaderImpl::noteProblem(const QString &problem)
{
    if (m_report.problem.isEmpty())
        m_report.problem = problem;
}

RtfReadReport RtfReaderImpl::run()
{
    bool started = false;
    for (;;) {
        const RtfToken token = m_tokenizer.next();
        if (token.type == RtfTokenType::End)
            break;
        // Only blanks come before the document's "{" (the caller checked for "{\rtf").
        if (!started && token.type != RtfTokenType::GroupStart)
            continue;
        // The document ended with its first group, as other readers take it.
        if (started && m_depth == 0) {
            if (!blankAfterEnd(token))
                break;
            continue;
        }
        started = true;
        dispatch(token);
    }
    finishInput();
    return m_report;
}

bool RtfReaderImpl::blankAfterEnd(const RtfToken &token)
{
    // What follows the document is left out, and noted unless it is blank.
    if (token.type == RtfTokenType::GroupEnd) {
        noteProblem(QStringLiteral("unbalanced braces: an extra '}' at byte %1").arg(token.offset));
        return false;
    }
    if (token.type != RtfTokenType::Text || !isAllBlank(token.text)) {
        noteProblem(
            QStringLiteral("content after the end of the document at byte %1").arg(token.offset));
        return false;
    }
    return true;
}

void RtfReaderImpl::dispatch(const RtfToken &token)
{
    switch (token.type) {
    case RtfTokenType::End:
        break;
    case RtfTokenType::GroupStart:
        groupStart();
        break;
    case RtfTokenType::GroupEnd:
        groupEnd();
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

void RtfReaderImpl::finishInput()
{
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
        if (m_table.current) {
            applyBlockFormat(
                m_paragraph.hasContent ? m_paragraph.contentPara : m_paragraph.closingPara);
            closeTable();
        }
        if (m_paragraph.ended)
            m_cursor.setBlockFormat(m_paragraph.originalFormat);
    } else {
        // The last paragraph keeps what it had when it got content, or, when it has none, what
        // the document stated last.
        applyBlockFormat(
            m_paragraph.hasContent ? m_paragraph.contentPara : m_paragraph.closingPara);
    }
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
    m_pending.fallbackToSkip = 0;
    m_stack.append(m_state);
    m_state.ignorable = false;
    ++m_depth;
    if (const auto started = m_state.destination->groupStart)
        (this->*started)();
}

void RtfReaderImpl::groupEnd()
{
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    decodeBytes();
    m_pending.fallbackToSkip = 0;
    // What the document's group stated last: the state outside it knows none of it.
    if (m_depth == 1)
        m_paragraph.closingPara = m_state.para;
    const GroupState group = std::exchange(m_state, m_stack.takeLast());
    --m_depth;
    if (const auto ended = group.destination->groupEnd)
        (this->*ended)(group);
    finishFields();
    m_tokenizer.setDoubleByteCodePage(
        isDoubleByteCodePage(m_state.codePage) ? m_state.codePage : 0);
}

void RtfReaderImpl::controlWord(const RtfToken &token)
{
    decodeBytes();
    if (m_pending.fallbackToSkip > 0) {
        --m_pending.fallbackToSkip;
        return;
    }
    const std::string_view name(token.text.data(), static_cast<size_t>(token.text.size()));
    const auto words = m_state.destination->words;
    const Word *word = words ? words().find(name) : nullptr;
    if (m_state.ignorable) {
        // "{\*\word": a destination this reader does not know is skipped whole.
        m_state.ignorable = false;
        if (!word || !word->destination) {
            m_state.destination = &kSkip;
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
        if (m_pending.fallbackToSkip > 0) {
            --m_pending.fallbackToSkip;
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
    if (m_pending.fallbackToSkip > 0) {
        --m_pending.fallbackToSkip;
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
    if (m_pending.fallbackToSkip > 0) {
        const qsizetype skipped = std::min<qsizetype>(m_pending.fallbackToSkip, bytes.size());
        m_pending.fallbackToSkip -= static_cast<int>(skipped);
        bytes = bytes.sliced(skipped);
    }
    if (bytes.isEmpty())
        return;
    if (const auto take = m_state.destination->text)
        (this->*take)(bytes);
}

void RtfReaderImpl::binary(QByteArrayView bytes)
{
    if (const auto take = m_state.destination->binary)
        (this->*take)(bytes);
}

} // namespace detail

} // namespace richtext
