#include "icons/icons.h"

#include <array>

#include "icons/svg_image.h"

namespace nimbo::resources {
namespace {

struct IconEntry {
    int id;
    int width;
    int height;
};

// Every icon the windows use, with the size its image is drawn at; most are 16 x 16, a few
// buttons carry slightly smaller or larger ones.
constexpr std::array<IconEntry, 17> kIcons = {{
    {128, 32, 32},
    {131, 16, 16},
    {132, 16, 16},
    {133, 16, 16},
    {134, 16, 16},
    {135, 24, 24},
    {136, 15, 16},
    {137, 16, 16},
    {144, 16, 16},
    {148, 15, 15},
    {149, 15, 15},
    {150, 16, 16},
    {151, 16, 16},
    {152, 16, 16},
    {153, 16, 16},
    {154, 15, 15},
    {155, 16, 16},
}};

const IconEntry* FindIcon(int id) {
    for (const IconEntry& entry : kIcons) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

QSize IconSize(int id) {
    const IconEntry* entry = FindIcon(id);
    return entry ? QSize(entry->width, entry->height) : QSize();
}

QPixmap LoadIconPixmap(int id) {
    const IconEntry* entry = FindIcon(id);
    if (!entry) {
        return {};
    }
    const QImage image =
        RenderSvgImage(QStringLiteral("icon_%1.svg").arg(id), QSize(entry->width, entry->height));
    if (image.isNull()) {
        return {};
    }
    return QPixmap::fromImage(image);
}

}  // namespace nimbo::resources
