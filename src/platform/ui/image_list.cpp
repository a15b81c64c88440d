#include "platform/ui/image_list.hpp"

namespace platform::ui {

bool CImageList::Create(int cx, int cy, unsigned /*nFlags*/, int nInitial, int /*nGrow*/) {
    if (cx <= 0 || cy <= 0) {
        return false;
    }
    m_size = {cx, cy};
    m_images.clear();
    m_images.reserve(static_cast<std::size_t>(std::max(nInitial, 0)));
    return true;
}

int CImageList::Add(const CPicture& picture) {
    if (!IsCreated()) {
        return -1;
    }
    m_images.push_back(picture.Scaled(m_size.cx, m_size.cy));
    return GetImageCount() - 1;
}

const CPicture* CImageList::GetImage(int nImage) const {
    return nImage >= 0 && nImage < GetImageCount() ? &m_images[static_cast<std::size_t>(nImage)] : nullptr;
}

}  // namespace platform::ui
