#pragma once

#include <QString>

#include <pugixml.hpp>

#include <cstring>
#include <memory>

namespace ro {

/// A parsed XML file: the DOM and the one buffer it was parsed in place from.
/// The loader guarantees well-formed UTF-8 content, one root element, and that
/// no entity declared in a DTD is ever expanded or fetched.
class XmlFile {
public:
    /// The document (empty when the load failed).
    const pugi::xml_document &Document() const { return m_document; }
    /// Why the load failed (empty after success).
    const QString &Error() const { return m_error; }

    /// Reads and parses a whole file. Encodings: UTF-8 (with or without BOM),
    /// UTF-16/32 with BOM, and any encoding the XML declaration names that iconv
    /// knows (Shift_JIS as CP932, EUC-JP, ...). Returns false on any fault.
    bool Load(const QString &fileName);
    /// Same on bytes already in memory (they are copied once).
    bool LoadBytes(const char *data, std::size_t size);

private:
    bool LoadWithQFile(const QString &fileName);
    bool Parse(std::size_t size);
    bool Fail(const QString &why);

    struct FreeBuffer {
        void operator()(char *p) const;
    };
    std::unique_ptr<char, FreeBuffer> m_buffer;
    pugi::xml_document m_document;
    QString m_error;
};

/// Concatenated text of all text and CDATA nodes below a node, in document order.
QString ElementText(const pugi::xml_node &node);

/// True when the node is an element with exactly this qualified name.
inline bool IsElement(const pugi::xml_node &node, const char *name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

/// The first element below node (not node itself) with that name, depth first
/// in document order; an empty node when none. Iterative: any depth is fine.
pugi::xml_node FindElement(const pugi::xml_node &node, const char *name);

} // namespace ro
