#ifndef TLV_EXPORTER_XML_TEXT_H_
#define TLV_EXPORTER_XML_TEXT_H_

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace tlv {

// Small helpers shared by the workbook part reader and writer.

/// The element name without its namespace prefix ("x:row" gives "row").
std::string_view LocalName(const pugi::xml_node& node);

/// The first child element with local name `name`, or an empty node.
pugi::xml_node ChildByLocalName(const pugi::xml_node& parent, std::string_view name);

/// The prefix with its colon ("x:") of `node`'s name, "" when it has none.
std::string_view NamePrefix(const pugi::xml_node& node);

/// Workbook texts hide characters that XML cannot hold as "_xHHHH_".
/// DecodeEscapedText undoes that; EncodeEscapedText applies it to control
/// characters and to a literal "_x" that would otherwise read as an escape.
std::string DecodeEscapedText(std::string_view text);
std::string EncodeEscapedText(std::string_view text);

/// The plain text of a string item (<si> or <is>): its <t> texts and those of
/// its runs, phonetic hints left out, escapes decoded.
std::string StringItemText(const pugi::xml_node& item);

/// The node printed as raw XML.
std::string PrintNode(const pugi::xml_node& node);

/// Parse options for workbook parts: keep whitespace-only texts (a cell text
/// may be a single blank) and the declaration.
inline constexpr unsigned kXmlParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;

}  // namespace tlv

#endif  // TLV_EXPORTER_XML_TEXT_H_
