#include "definition/section_decoder.h"

#include <algorithm>
#include <array>

#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

constexpr std::array<std::string_view, 5> kBlockWords = {"<IF>", "<THEN>", "<ELSEIF>",
                                                         "<ELSE>", "<ENDIF>"};

std::int32_t ReadId(std::string_view text, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) {
    u = (u << 8) | static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
  }
  return static_cast<std::int32_t>(u);
}

// The end of a comment body that starts at `from`: just after its LF, or the
// end of the text when the line has none.
std::size_t CommentEnd(std::string_view text, std::size_t from) {
  const std::size_t lf = text.find('\n', from);
  return lf == std::string_view::npos ? text.size() : lf + 1;
}

}  // namespace

DecodeResult DecodeSection(std::string_view compiled, const VariableDictionary& dict) {
  DecodeResult result;
  std::string& out = result.text;
  out.reserve(compiled.size() + compiled.size() / 2);
  const std::size_t n = compiled.size();
  auto fail = [&](std::size_t at) {
    result.ok = false;
    result.message = std::string(kMsgBadCode);
    result.error_offset = at;
    return result;
  };
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(compiled[i]);
    switch (c) {
      case kMarkBlock: {
        if (i + 1 >= n) return fail(i);
        const unsigned char k = static_cast<unsigned char>(compiled[i + 1]);
        if (k < kBlockIf || k > kBlockEndIf) return fail(i);
        out.append(kBlockWords[k - 1]);
        i += 2;
        continue;
      }
      case kMarkComma:
      case kMarkDots: {
        out.append(c == kMarkComma ? "..," : "...");
        const std::size_t end = CommentEnd(compiled, i + 1);
        out.append(compiled.substr(i + 1, end - i - 1));
        i = end;
        continue;
      }
      case kMarkVariable:
      case kMarkForced: {
        if (n - i < 5) return fail(i);
        const DictionaryEntry* entry = dict.FindById(ReadId(compiled, i + 1));
        if (entry == nullptr) return fail(i);
        if (c == kMarkForced) out.push_back('!');
        out.push_back('<');
        out.append(entry->name);
        out.push_back('>');
        i += 5;
        continue;
      }
      case kMarkGroupBegin: out.push_back('{'); ++i; continue;
      case kMarkGroupEnd: out.push_back('}'); ++i; continue;
      case kMarkOptBegin: out.push_back('['); ++i; continue;
      case kMarkOptEnd: out.push_back(']'); ++i; continue;
      case kPrefixSingle:
        // The prefix only protects the byte behind it from being read as a
        // marker; the display text holds the byte alone.
        if (i + 1 >= n) return fail(i);
        out.push_back(compiled[i + 1]);
        i += 2;
        continue;
      case kPrefixDouble:
        if (i + 2 >= n) return fail(i);
        out.append(compiled.substr(i + 1, 2));
        i += 3;
        continue;
      default:
        break;
    }
    if (IsCp932LeadByte(c) && i + 1 < n) {
      out.append(compiled.substr(i, 2));
      i += 2;
    } else {
      out.push_back(static_cast<char>(c));
      ++i;
    }
  }
  result.ok = true;
  return result;
}

void CollectVariableIds(std::string_view compiled, std::vector<std::int32_t>* ids) {
  const std::size_t n = compiled.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(compiled[i]);
    if (c == kMarkVariable || c == kMarkForced) {
      if (n - i < 5) return;
      const std::int32_t id = ReadId(compiled, i + 1);
      if (std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
      i += 5;
    } else if (c == kMarkComma || c == kMarkDots) {
      i = CommentEnd(compiled, i + 1);
    } else if (c == kMarkBlock || c == kPrefixSingle) {
      i += 2;
    } else if (c == kPrefixDouble) {
      i += 3;
    } else if (c >= kMarkOptEnd) {
      ++i;
    } else if (IsCp932LeadByte(c)) {
      i += 2;
    } else {
      ++i;
    }
  }
}

}  // namespace tlv
