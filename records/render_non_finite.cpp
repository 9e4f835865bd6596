// render_non_finite: the code text of an infinity or NaN in a field of a
// given length.
#include "records/decimal_rendering.h"

#include <cstddef>
#include <string>

namespace sotra {

std::string render_non_finite(float value, int length) {
    // The text ("1#INF", "1#IND", "1#QNAN", "1#SNAN"; never a sign) is cut to
    // the length or lengthened with "." characters.
    std::string text(real_digits(value).text.view());
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0, '.');
    return text;
}

}  // namespace sotra
