// The text layers of the reference file: scrambling, the zero-byte cut,
// line-end normalisation, the folder tokens and the schema walk that turns
// markup into parasites. No Windows headers: the host build uses these too.
#pragma once

#include "definitions/parasite.h"
#include "definitions/text_platform.h"

#include <cstdint>
#include <string>

namespace kestrune {

const unsigned char kScrambleKey = 0x97;

// Exclusive-or of every byte with the key; the same call scrambles and
// unscrambles.
void scrambleBytes(std::string& bytes);

// Unscrambles in place and cuts the text at the first zero byte.
void unscrambleText(std::string& bytes);

// A CR is put before every LF that has none; lone CRs stay.
std::string normaliseLineEnds(const std::string& text);

// Replaces "PFDir", "WinDir", "SysDir" and "Sys32Dir", in that order, each
// everywhere in the path, matched exactly.
std::string replaceFolderTokens(const std::string& path, const SystemFolders& folders);

// The decimal number at the start of a text: leading whitespace skipped, an
// optional sign, digits up to the first other character; 0 without digits.
// Numbers beyond 32 bits saturate at the nearest limit.
int32_t parseDangerLevel(const std::string& text);

// Steps 2 to 10 of loading: unscrambles `raw` (consumed), reads it as UTF-8 or
// in the legacy code page (readAsProcessText), parses it and, when
// it parses, replaces the content of `list`. False when the text does not
// parse or memory runs out; `list` is then untouched. `errorText`, when given,
// receives the parser's error text (empty when it has none).
bool loadReferenceBytes(std::string raw, ParasiteList& list, const SystemFolders& folders,
                        std::string* errorText = nullptr);

}  // namespace kestrune
