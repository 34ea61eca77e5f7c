#pragma once
// The small images a list shows in front of its first column, by index.
#include <vector>

#include "imaging/canvas.h"

namespace nimbo::ui {

class ImageList {
public:
    // Returns the new image's index.
    int Add(imaging::Canvas image) {
        images_.push_back(std::move(image));
        return Count() - 1;
    }
    int Count() const { return static_cast<int>(images_.size()); }
    // An empty canvas for an index out of range.
    const imaging::Canvas& Get(int index) const {
        static const imaging::Canvas kNone;
        return index < 0 || index >= Count() ? kNone : images_[static_cast<size_t>(index)];
    }

private:
    std::vector<imaging::Canvas> images_;
};

}  // namespace nimbo::ui
