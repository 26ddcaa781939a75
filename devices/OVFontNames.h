// The Japanese system fonts that programs and settings name, mapped to
// installed fonts, so that text looks alike in every window and headless.
#pragma once

namespace ov {

// Installs the substitutions; needs an application object.
void SubstituteFonts();

} // namespace ov
