// A list of pictures of one size, for the image combo box. Stands in for ImageList_Create,
// ImageList_Add/ImageList_AddIcon and ImageList_Destroy (CImageList).
#pragma once

#include "platform/ui/geometry.hpp"
#include "platform/ui/picture.hpp"

#include <vector>

namespace platform::ui {

class CImageList {
public:
    // The flags (ILC_COLOR24, ...), initial count and growth are accepted for their meaning on
    // Windows; pictures are kept in full colour whatever they say.
    bool Create(int cx, int cy, unsigned nFlags, int nInitial, int nGrow);
    bool IsCreated() const { return m_size.cx > 0 && m_size.cy > 0; }

    // Appends the picture drawn to the list's size; returns its index, or -1 before Create.
    int Add(const CPicture& picture);
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    CSize GetImageSize() const { return m_size; }
    const CPicture* GetImage(int nImage) const;

private:
    CSize m_size;
    std::vector<CPicture> m_images;
};

}  // namespace platform::ui
