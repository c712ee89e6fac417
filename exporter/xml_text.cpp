#include "exporter/xml_text.h"

#include <sstream>

namespace tlv {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string* out, unsigned code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// "_xHHHH_" at `i`: its code, or -1.
int EscapeAt(std::string_view text, std::size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return -1;
  int code = 0;
  for (std::size_t k = i + 2; k < i + 6; ++k) {
    int digit = HexValue(text[k]);
    if (digit < 0) return -1;
    code = code * 16 + digit;
  }
  return code;
}

void AppendEscape(std::string* out, unsigned code) {
  static const char kHex[] = "0123456789ABCDEF";
  out->append("_x");
  for (int shift = 12; shift >= 0; shift -= 4) out->push_back(kHex[(code >> shift) & 0xF]);
  out->push_back('_');
}

}  // namespace

std::string_view LocalName(const pugi::xml_node& node) {
  std::string_view name = node.name();
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view NamePrefix(const pugi::xml_node& node) {
  std::string_view name = node.name();
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon + 1);
}

pugi::xml_node ChildByLocalName(const pugi::xml_node& parent, std::string_view name) {
  for (pugi::xml_node child : parent.children())
    if (child.type() == pugi::node_element && LocalName(child) == name) return child;
  return {};
}

std::string DecodeEscapedText(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    int code = EscapeAt(text, i);
    if (code >= 0) {
      AppendUtf8(&out, static_cast<unsigned>(code));
      i += 7;
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

std::string EncodeEscapedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
      AppendEscape(&out, c);
    } else if (c == '_' && EscapeAt(text, i) >= 0) {
      AppendEscape(&out, '_');
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string StringItemText(const pugi::xml_node& item) {
  std::string text;
  for (pugi::xml_node child : item.children()) {
    if (child.type() != pugi::node_element) continue;
    std::string_view name = LocalName(child);
    if (name == "t") {
      text += child.child_value();
    } else if (name == "r") {
      if (pugi::xml_node t = ChildByLocalName(child, "t")) text += t.child_value();
    }
  }
  return DecodeEscapedText(text);
}

std::string PrintNode(const pugi::xml_node& node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

}  // namespace tlv
