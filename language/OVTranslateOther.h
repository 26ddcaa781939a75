// The translators of assignment, console and file input and output, DATA and
// READ, DIM, the file-channel statements, the drawing statements with
// optional trailing values, SWAP and the statements with a fixed list of
// names. Each reads its statement from the pre-code and appends code cells;
// DIM emits nothing and lays its arrays out at once.
#pragma once

#include "language/OVTranslator.h"

namespace ov {

// The statements TranslateOtherStatement serves, one translator each. Every
// one starts with its keyword read (PreCodePos past it).
void TranslatePrint();
void TranslatePrintFile();
void TranslatePrintUsing(bool toFile);
void TranslateInput();
void TranslateInputFile();
void TranslateLineInput(bool fromFile);
void TranslateRead();
void TranslateData();
void TranslateDim();
void TranslateOpen();
void TranslateClose();
void TranslateSwap();

} // namespace ov
