#include "dpi_scale.h"

namespace win32 {

RECT DpiScale::Rect(const forms::TwipsRect& place) const {
    return {Pixels(place.left), Pixels(place.top), Pixels(place.left + place.width),
            Pixels(place.top + place.height)};
}

POINT DpiScale::Point(const forms::TwipsPoint& point) const {
    return {Pixels(point.x), Pixels(point.y)};
}

}  // namespace win32
