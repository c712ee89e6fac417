// The section compiler: turns the display text the editor shows ("<X_CORD>",
// "<IF>", "{", "..." ...) into the compiled text stored in the definition,
// or rejects it with exactly one message.
#ifndef TLV_DEFINITION_SECTION_COMPILER_H_
#define TLV_DEFINITION_SECTION_COMPILER_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tlv {

class VariableDictionary;
struct FormatSection;

/// Deepest nesting of <IF> blocks the compiler accepts.
inline constexpr int kMaxIfDepth = 256;
/// Size of the editor's section text buffer, in bytes (the decoder's output
/// buffer of the editor has the same size).
inline constexpr std::size_t kDisplayTextLimit = 10240;

// The compiler's messages (UTF-8), in the words the editor shows them.
inline constexpr std::string_view kMsgBangInside =
    "! は、<..>, {..}, [..] 内にあってはいけません。";
inline constexpr std::string_view kMsgNoTagAfterBang = "!の後に< が存在しません。";
inline constexpr std::string_view kMsgNoName = "<..> 内に変数名がありません。";
inline constexpr std::string_view kMsgNoCloseTag = "> がありません。";
inline constexpr std::string_view kMsgBracketOpen =
    "コードが異常です。( }, ] がありません。)";
inline constexpr std::string_view kMsgIfPlace = "<IF>の位置が正しくありません。";
inline constexpr std::string_view kMsgIfTooDeep = "<IF>のネストが深すぎます。";
inline constexpr std::string_view kMsgThenNoIf = "<THEN>に対応する<IF>がありません。";
inline constexpr std::string_view kMsgThenNoIfElseIf =
    "<THEN>に対応する<IF>/<ELSEIF>がありません。";
inline constexpr std::string_view kMsgElseIfNoIf = "<ELSEIF>に対応する<IF>がありません。";
inline constexpr std::string_view kMsgElseIfPlace = "<ELSEIF>の位置が正しくありません。";
inline constexpr std::string_view kMsgElseNoIf = "<ELSE>に対応する<IF>がありません。";
inline constexpr std::string_view kMsgElsePlace = "<ELSE>の位置が正しくありません。";
inline constexpr std::string_view kMsgEndIfNoIf = "<ENDIF>に対応する<IF>がありません。";
inline constexpr std::string_view kMsgEndIfNoThen =
    "<IF>/<ELSEIF>に対応する<THEN>がありません。";
/// Followed the upper-case name and this suffix: "NAME : 定義されていない変数です".
inline constexpr std::string_view kMsgUndefinedSuffix = " : 定義されていない変数です";
inline constexpr std::string_view kMsgBraceInside =
    "{ は、{..}, [..] 内にあってはいけません。";
inline constexpr std::string_view kMsgBraceInCondition =
    "{ は、<IF>の条件式内では使えません。";
inline constexpr std::string_view kMsgCloseBracePlace = "} が不正な位置にあります。";
inline constexpr std::string_view kMsgCloseBraceInCondition =
    "} は、<IF>の条件式内では使えません。";
inline constexpr std::string_view kMsgBracketInside =
    "[ は、{..}, [..] 内にあってはいけません。";
inline constexpr std::string_view kMsgBracketInCondition =
    "[ は、<IF>の条件式内では使えません。";
inline constexpr std::string_view kMsgCloseBracketPlace = "] が不正な位置にあります。";
inline constexpr std::string_view kMsgCloseBracketInCondition =
    "] は、<IF>の条件式内では使えません。";
/// The closing ")" belongs to the message as the editor has always shown it.
inline constexpr std::string_view kMsgIfNoEndIf = "<IF>に対応する<ENDIF>がありません。)";
inline constexpr std::string_view kMsgCloseTagPlace = "> が不正な位置にあります。";

/// The outcome of one compilation.
struct CompileResult {
  bool ok = false;
  /// The compiled text (CP932 with marker bytes) when ok.
  std::string bytes;
  /// The one message of a rejected text (UTF-8).
  std::string message;
  /// 1-based line and column (in characters; a double-byte character counts
  /// one) of the token that was rejected, or of the end of the text.
  int line = 0;
  int column = 0;

  /// "line:column: message".
  std::string Where() const;
};

/// Compiles CP932 display text with LF line ends.  Only dictionary entries
/// with kDictInEveryDefinition are known names.  Tag names are compared in
/// upper case (ASCII letters only), so "<if>" is "<IF>".  A text byte in
/// 0xF0..0xFF gets its 0xF1/0xF2 prefix; a lead byte at the very end of the
/// text becomes "?".
///
/// **Example**: "G01<X_CORD>\n" gives "G01", 0xFF, the id of X_CORD as a
/// little-endian int, "\n".
CompileResult CompileSection(std::string_view display,
                             const VariableDictionary& dict);

/// Compiles into a scratch text first and replaces `section->text` only when
/// the text is accepted, so a rejected text never changes the stored one.
CompileResult CompileIntoSection(std::string_view display,
                                 const VariableDictionary& dict,
                                 FormatSection* section);

}  // namespace tlv

#endif  // TLV_DEFINITION_SECTION_COMPILER_H_
