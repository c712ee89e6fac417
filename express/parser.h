// The Express parser: precedence climbing from tokens to Code, with the type
// checks that can be made before anything is computed.
#ifndef TLV_EXPRESS_PARSER_H_
#define TLV_EXPRESS_PARSER_H_

#include <string_view>

#include "express/code.h"
#include "express/diagnostics.h"

namespace tlv {

/// Deepest nesting of parentheses, signs and function calls a text may have;
/// deeper texts end with kExpressOutOfMemory instead of exhausting the stack.
inline constexpr int kExpressMaxNesting = 200;

/// Parses `text`, a list of expressions separated by "," and ended by ";" or
/// the end of the text (what follows a ";" is not read), into `*code`
/// (cleared first).  Errors and warnings go to `diagnostics`; a type mismatch
/// between operands of known type (literals, operator and function results)
/// is an error here already.  An empty text raises kExpressEmpty and gives no
/// expression.  Returns false when the status is an error.
bool ParseExpressions(std::string_view text, Code* code, Diagnostics* diagnostics);

/// True for the name PI in any case.
bool IsPiName(std::string_view name);

}  // namespace tlv

#endif  // TLV_EXPRESS_PARSER_H_
