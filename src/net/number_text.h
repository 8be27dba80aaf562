// Decimal number texts as the network layer reads them.
#pragma once

#include <cstdint>
#include <string_view>

// Strict decimal conversion: an optional sign and digits, nothing else, within 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);
// Raises EConvertError when the text is not such a number.
int32_t StrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t fallback);
