// Fuzz target: literal conversion of any token; the size is always 1, 2 or -1,
// and a refused literal is worth 0.

#include "DiscardLog.h"
#include "FuzzInput.h"
#include "SymbolData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DiscardRunLogOnce();
    const std::string token = AsText(data, size);
    int literalSize = 0;
    const SymbolData value = Str2SymbolData(token.c_str(), literalSize);
    if (literalSize != 1 && literalSize != 2 && literalSize != -1) {
        __builtin_trap();
    }
    if (literalSize == -1 && value.Word != 0) {
        __builtin_trap();
    }
    if (value.Byte != (static_cast<std::uint16_t>(value.Word) & 0xFF)) {
        __builtin_trap();
    }
    return 0;
}
