// The text form of a post definition: one readable UTF-8 file that holds
// every field of the definition file, made for review and version control.
//
//   tlvdef-text 1
//   coordinate.output_mode = 0  # Ｇ９０出力
//   ...
//   code G00_CODE = "G00"
//   ...
//   variable 51 X_CORD
//     message = "X座標"
//     ...
//   section 8 LinearFeed <<END
//   G01{X<X_CORD>}{Y<Y_CORD>}
//   END
//
// One field per line in a fixed order; "#" starts a comment outside quoted
// text.  Quoted text uses \" \\ \n \r \t and \xHH (one CP932 byte, for bytes
// that have no exact UTF-8 form).  A section is its display text between
// "<<TERM" and a line holding only TERM; every line of the block ends with
// LF, and "noeol" after the terminator name says the last one does not.  A
// section whose display text would not compile back to the same bytes is
// written as "hex <<TERM" with its compiled bytes in hex instead.
#ifndef TLV_DEFINITION_TEXT_FORM_H_
#define TLV_DEFINITION_TEXT_FORM_H_

#include <string>
#include <string_view>

namespace tlv {

struct PostDefinition;
class VariableDictionary;

/// The first line of every text form.
inline constexpr std::string_view kTextFormMagic = "tlvdef-text 1";

/// The text form of `def`.  Variables are named by `dict` and by id.
std::string FormatTextForm(const PostDefinition& def, const VariableDictionary& dict);

/// Parses a text form into `def` (replaced only on success).  Sections are
/// compiled with `dict`.  On failure `err` is "file:line: message" with
/// `file_name` as the file.
bool ParseTextForm(std::string_view text, std::string_view file_name,
                   const VariableDictionary& dict, PostDefinition* def, std::string* err);

}  // namespace tlv

#endif  // TLV_DEFINITION_TEXT_FORM_H_
