// The user's regional settings as the program takes them at entry: the decimal
// separator (passed down to the passes from there) and, on systems where the C
// library translates its messages, the language of system error texts.
#pragma once

namespace ranta2kv {

// Lets system error texts follow the user's language while number parsing and
// formatting in the program stay in the C form. Called once at program entry.
void AdoptUserLocale();

// The decimal separator of the user's regional settings ('.' when it is no
// single-byte character).
char UserDecimalSeparator();

}  // namespace ranta2kv
