#include "firmware/resource_images.h"

#include "firmware/image_text.h"
#include "firmware/text_resource.h"

namespace zeltor {

bool loadResourceBytes(int id, ByteVector& bytes) {
    bytes.clear();
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!LoadTextResource(ownModule(), id, data, size)) {
        return false;
    }
    bytes.assign(data, data + size);
    return true;
}

bool loadImageTextResource(int id, ByteVector& image) {
    ByteVector text;
    if (!loadResourceBytes(id, text)) {
        return false;
    }
    return parseImageTextBytes(std::move(text), image);
}

}  // namespace zeltor
