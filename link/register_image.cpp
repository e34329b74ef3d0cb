#include "register_image.h"

namespace pv {

void RegisterImage::CopyReplyToImage(std::size_t first, std::size_t count, ByteView source,
                                     std::size_t imageStart)
{
    for (std::size_t k = 0; k < count; ++k) {
        if (first + k >= source.size() || imageStart + k >= Size)
            return;
        bytes_.at(imageStart + k) = source[first + k];
    }
}

} // namespace pv
