// A small reader for the window layouts: UTF-8 XML into a tree of elements
// with their attributes. Character data, comments, processing instructions
// and CDATA sections are skipped; a document type declaration is refused
// (no entity definitions, so no entity expansion). Attribute values are
// decoded: the five predefined entities, character references, and the
// white-space normalisation XML requires.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct XmlAttribute {
    std::wstring name;
    std::wstring value;
};

struct XmlElement {
    std::wstring name;
    std::vector<XmlAttribute> attributes;  // in document order
    std::vector<XmlElement> children;

    // The value of the named attribute, or null.
    const std::wstring* Attribute(std::wstring_view attributeName) const;
};

struct XmlParseResult {
    bool ok = false;
    XmlElement root;
    std::string error;       // what is wrong, when !ok
    std::size_t offset = 0;  // byte offset of the fault, when !ok
};

// Elements may nest at most this deep; deeper documents are refused.
constexpr int kMaxXmlDepth = 64;

XmlParseResult ParseXml(std::string_view utf8);

}  // namespace ui
