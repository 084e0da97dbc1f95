#include "roXmlLoader.h"

#include <QFile>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <iconv.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace ro {
namespace {

// A file larger than this is not a forecast document or an area list.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

char *allocate(std::size_t size)
{
    return static_cast<char *>(std::malloc(size == 0 ? 1 : size));
}

bool startsWith(const char *data, std::size_t size, const char *prefix, std::size_t n)
{
    return size >= n && std::memcmp(data, prefix, n) == 0;
}

// Checks that bytes are UTF-8 and hold no character XML forbids (C0 controls
// other than tab, CR, LF): binary files stop here instead of half-parsing.
bool isXmlUtf8(const unsigned char *p, std::size_t size)
{
    const unsigned char *end = p + size;
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    while (p < end) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes whose only controls are tab, CR and LF (the
        // indentation of every line) pass at once.
        if (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            if (_mm_movemask_epi8(v) == 0) {
                const __m128i controls = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
                const __m128i allowed = _mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                    _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
                if (_mm_movemask_epi8(_mm_andnot_si128(allowed, controls)) != 0)
                    return false;
                p += 16;
                continue;
            }
        }
#endif
        if (end - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            // No high bit and no byte below 0x20: eight plain characters.
            if (((w | ((w - ones * 0x20) & ~w)) & highs) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return false;
            ++p;
            continue;
        }
        std::size_t n;
        std::uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            n = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < n)
            return false;
        for (std::size_t i = 1; i < n; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        static constexpr std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
            return false;
        p += n;
    }
    return true;
}

// The encoding named by the XML declaration, lower case; empty when none.
QByteArray declaredEncoding(const char *data, std::size_t size)
{
    std::size_t offset = startsWith(data, size, "\xEF\xBB\xBF", 3) ? 3 : 0;
    if (!startsWith(data + offset, size - offset, "<?xml", 5))
        return {};
    const std::size_t limit = std::min<std::size_t>(size, offset + 1024);
    const QByteArray head(data + offset, static_cast<qsizetype>(limit - offset));
    const qsizetype close = head.indexOf("?>");
    if (close < 0)
        return {};
    const QByteArray decl = head.left(close);
    qsizetype at = decl.indexOf("encoding");
    if (at < 0)
        return {};
    at += 8;
    while (at < decl.size() && (decl[at] == ' ' || decl[at] == '\t' || decl[at] == '\r' || decl[at] == '\n'))
        ++at;
    if (at >= decl.size() || decl[at] != '=')
        return {};
    ++at;
    while (at < decl.size() && (decl[at] == ' ' || decl[at] == '\t' || decl[at] == '\r' || decl[at] == '\n'))
        ++at;
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\''))
        return {};
    const char quote = decl[at];
    const qsizetype endQuote = decl.indexOf(quote, at + 1);
    if (endQuote < 0)
        return {};
    return decl.mid(at + 1, endQuote - at - 1).trimmed().toLower();
}

// iconv's name for an encoding a document may declare.
QByteArray iconvName(const QByteArray &declared)
{
    if (declared == "shift_jis" || declared == "shift-jis" || declared == "sjis" || declared == "x-sjis" ||
        declared == "windows-31j" || declared == "cp932" || declared == "ms_kanji" || declared == "csshiftjis")
        return "CP932";
    if (declared == "euc-jp" || declared == "x-euc-jp" || declared == "eucjp" || declared == "cseucpkdfmtjapanese")
        return "EUC-JP-MS";
    return declared.toUpper();
}

} // namespace

void XmlFile::FreeBuffer::operator()(char *p) const
{
    std::free(p);
}

bool XmlFile::Fail(const QString &why)
{
    m_document.reset();
    m_buffer.reset();
    m_error = why;
    return false;
}

bool XmlFile::Load(const QString &fileName)
{
    m_document.reset();
    m_buffer.reset();
    m_error.clear();
    if (fileName.isEmpty())
        return Fail(QStringLiteral("cannot open the file"));
    // Resource paths need QFile; plain files are read straight into the buffer
    // pugixml parses in place (one open, one stat, no intermediate copies).
    if (fileName.startsWith(u':'))
        return LoadWithQFile(fileName);
    const QByteArray native = QFile::encodeName(fileName);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Fail(QStringLiteral("cannot open the file"));
    const struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return Fail(QStringLiteral("cannot open the file"));
    if (!S_ISREG(info.st_mode))
        return Fail(S_ISDIR(info.st_mode) ? QStringLiteral("cannot open the file")
                                          : QStringLiteral("not a regular file"));
    const qint64 size = info.st_size;
    if (size > kMaxFileSize)
        return Fail(QStringLiteral("file too large"));
    m_buffer.reset(allocate(static_cast<std::size_t>(size)));
    if (!m_buffer)
        return Fail(QStringLiteral("out of memory"));
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, m_buffer.get() + done, static_cast<std::size_t>(size - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Fail(QStringLiteral("read error"));
        done += got;
    }
    return Parse(static_cast<std::size_t>(size));
}

bool XmlFile::LoadWithQFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot open the file"));
    if (file.isSequential())
        return Fail(QStringLiteral("not a regular file"));
    const qint64 size = file.size();
    if (size > kMaxFileSize)
        return Fail(QStringLiteral("file too large"));
    m_buffer.reset(allocate(static_cast<std::size_t>(size)));
    if (!m_buffer)
        return Fail(QStringLiteral("out of memory"));
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(m_buffer.get() + done, size - done);
        if (got <= 0)
            return Fail(QStringLiteral("read error"));
        done += got;
    }
    return Parse(static_cast<std::size_t>(size));
}

bool XmlFile::LoadBytes(const char *data, std::size_t size)
{
    m_document.reset();
    m_error.clear();
    m_buffer.reset(allocate(size));
    if (!m_buffer)
        return Fail(QStringLiteral("out of memory"));
    if (size != 0)
        std::memcpy(m_buffer.get(), data, size);
    return Parse(size);
}

bool XmlFile::Parse(std::size_t size)
{
    const char *data = m_buffer.get();
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    const bool utf16or32 = startsWith(data, size, "\xFF\xFE", 2) || startsWith(data, size, "\xFE\xFF", 2) ||
                           startsWith(data, size, "\0\0\xFE\xFF", 4) || startsWith(data, size, "<\0?\0", 4) ||
                           startsWith(data, size, "\0<\0?", 4);
    if (utf16or32) {
        // pugixml decodes these itself (into a buffer of its own).
        encoding = pugi::encoding_auto;
    } else {
        const QByteArray declared = declaredEncoding(data, size);
        if (declared.startsWith("utf-16") || declared.startsWith("utf-32") || declared == "ucs-2")
            return Fail(QStringLiteral("UTF-16/32 document without byte order mark"));
        if (!declared.isEmpty() && declared != "utf-8" && declared != "utf8" && declared != "us-ascii" &&
            declared != "ascii") {
            iconv_t cd = iconv_open("UTF-8", iconvName(declared).constData());
            if (cd == reinterpret_cast<iconv_t>(-1))
                return Fail(QStringLiteral("unknown encoding %1").arg(QString::fromLatin1(declared)));
            std::size_t capacity = size + size / 2 + 64;
            std::unique_ptr<char, FreeBuffer> out(allocate(capacity));
            char *in = m_buffer.get();
            std::size_t inLeft = size;
            std::size_t written = 0;
            bool ok = out != nullptr;
            while (ok && inLeft > 0) {
                char *dst = out.get() + written;
                std::size_t outLeft = capacity - written;
                const std::size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
                written = static_cast<std::size_t>(dst - out.get());
                if (r != static_cast<std::size_t>(-1))
                    continue;
                if (errno != E2BIG) {
                    ok = false;
                    break;
                }
                capacity = capacity + capacity / 2 + 64;
                char *grown = static_cast<char *>(std::realloc(out.get(), capacity));
                if (grown == nullptr) {
                    ok = false;
                    break;
                }
                (void)out.release();
                out.reset(grown);
            }
            iconv_close(cd);
            if (!ok)
                return Fail(QStringLiteral("bytes not valid in encoding %1").arg(QString::fromLatin1(declared)));
            m_buffer = std::move(out);
            size = written;
            data = m_buffer.get();
        }
        const std::size_t bom = startsWith(data, size, "\xEF\xBB\xBF", 3) ? 3 : 0;
        if (!isXmlUtf8(reinterpret_cast<const unsigned char *>(data) + bom, size - bom))
            return Fail(QStringLiteral("not XML text (invalid UTF-8 or control characters)"));
    }

    // Comments and PIs are kept as nodes (they count as children); fragment
    // mode keeps stray text beside the root so it can be refused; the DOCTYPE
    // is kept only to be checked. Entities are never expanded beyond the five
    // predefined ones and character references; nothing is ever fetched.
    const unsigned options =
        pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype | pugi::parse_fragment;
    const pugi::xml_parse_result result = m_document.load_buffer_inplace(m_buffer.get(), size, options, encoding);
    if (!result)
        return Fail(QStringLiteral("not well-formed XML: %1 at offset %2")
                        .arg(QString::fromUtf8(result.description()))
                        .arg(result.offset));
    int roots = 0;
    for (pugi::xml_node node = m_document.first_child(); node; node = node.next_sibling()) {
        switch (node.type()) {
        case pugi::node_element: ++roots; break;
        case pugi::node_doctype:
            // Declared entities would change the text a reader sees: such a
            // document is refused rather than read with its entities unexpanded.
            if (std::strstr(node.value(), "<!ENTITY") != nullptr)
                return Fail(QStringLiteral("document declares entities"));
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata: return Fail(QStringLiteral("text outside the root element"));
        default: break;
        }
    }
    if (roots != 1)
        return Fail(QStringLiteral("a document needs exactly one root element"));
    // The DOCTYPE has been checked; the parsers never see it.
    for (pugi::xml_node node = m_document.first_child(); node;) {
        pugi::xml_node next = node.next_sibling();
        if (node.type() == pugi::node_doctype)
            m_document.remove_child(node);
        node = next;
    }
    return true;
}

QString ElementText(const pugi::xml_node &node)
{
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return QString::fromUtf8(first.value());
    QByteArray text;
    // Iterative pre-order walk of the subtree.
    pugi::xml_node cur = node.first_child();
    while (cur) {
        if (cur.type() == pugi::node_pcdata || cur.type() == pugi::node_cdata)
            text.append(cur.value());
        if (cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur && !cur.next_sibling() && cur != node)
            cur = cur.parent();
        if (!cur || cur == node)
            break;
        cur = cur.next_sibling();
    }
    return QString::fromUtf8(text);
}

pugi::xml_node FindElement(const pugi::xml_node &node, const char *name)
{
    pugi::xml_node cur = node.first_child();
    while (cur) {
        if (IsElement(cur, name))
            return cur;
        if (cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur && cur != node && !cur.next_sibling())
            cur = cur.parent();
        if (!cur || cur == node)
            break;
        cur = cur.next_sibling();
    }
    return {};
}

} // namespace ro
