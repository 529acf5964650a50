#include "toolkit/CMenuPopup.h"

#include <cairo.h>

#include <algorithm>

#include "toolkit/CDrawContext.h"
#include "toolkit/COptionMenu.h"

namespace {

constexpr CColor kListBack{246, 246, 246, 255};
constexpr CColor kListBorder{112, 112, 112, 255};
constexpr CColor kSeparatorLine{188, 188, 188, 255};
constexpr CColor kHighlightBack{52, 101, 164, 255};
constexpr CColor kDisabledText{150, 150, 150, 255};

CCoord WidestTitle(const COptionMenu* menu) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    auto* context = new CDrawContext(surface, CRect(0, 0, 1, 1), 1.0);
    context->setFont(menu->getFont());
    CCoord widest = 0;
    for (long i = 0; i < menu->getNbEntries(); ++i) {
        const CMenuItem* item = menu->getEntry(i);
        if (item->isSeparator()) continue;
        widest = std::max(widest, context->getStringWidth(item->getTitle()));
    }
    context->forget();
    cairo_surface_destroy(surface);
    return widest;
}

}  // namespace

CMenuPopup::CMenuPopup(COptionMenu* root, COptionMenu* menu, CMenuPopup* parent)
    : root(root), menu(menu), parent(parent) {
    // A sub-menu could lose its last other holder while its list shows; the root cannot (it closes
    // its lists when it dies).
    if (parent != nullptr) menu->remember();
}

CMenuPopup::~CMenuPopup() {
    closeSubmenu();
    window.reset();
    if (parent != nullptr) menu->forget();
}

bool CMenuPopup::open(IPlatformFrame* platformFrame, const CPoint& topLeft) {
    platform = platformFrame;
    screenTopLeft = topLeft;
    textRowHeight = std::max<CCoord>(kMinRowHeight, FontSize(menu->getFont()) + 5);

    width = kCheckWidth + WidestTitle(menu) + kTextPad + kArrowWidth;
    if (parent == nullptr) width = std::max(width, menu->getWidth());
    height = 2;  // the border above and below
    for (long i = 0; i < menu->getNbEntries(); ++i) height += rowHeight(i);

    if (platform == nullptr) return false;
    window = platform->openPopup(CRect(topLeft, CPoint(width, height)), this);
    return window != nullptr;
}

CCoord CMenuPopup::rowHeight(long index) const {
    const CMenuItem* item = menu->getEntry(index);
    if (item == nullptr) return 0;
    return item->isSeparator() ? kSeparatorHeight : textRowHeight;
}

CRect CMenuPopup::rowRect(long index) const {
    if (index < 0 || index >= menu->getNbEntries()) return CRect();
    CCoord top = 1;
    for (long i = 0; i < index; ++i) top += rowHeight(i);
    return CRect(1, top, width - 1, top + rowHeight(index));
}

long CMenuPopup::rowAt(const CPoint& where) const {
    if (where.h < 0 || where.h >= width) return -1;
    CCoord top = 1;
    for (long i = 0; i < menu->getNbEntries(); ++i) {
        const CCoord bottom = top + rowHeight(i);
        if (where.v >= top && where.v < bottom) return i;
        top = bottom;
    }
    return -1;
}

bool CMenuPopup::selectable(long index) const {
    const CMenuItem* item = menu->getEntry(index);
    return item != nullptr && !item->isSeparator() && item->isEnabled();
}

bool CMenuPopup::hasSubmenu(long index) const {
    const CMenuItem* item = menu->getEntry(index);
    return item != nullptr && item->getSubmenu() != nullptr;
}

void CMenuPopup::setHighlight(long index) {
    if (index == highlight) return;
    highlight = index;
    if (window) window->invalid();
}

void CMenuPopup::invalid() {
    if (window) window->invalid();
    if (child) child->invalid();
}

void CMenuPopup::drawPopup(CDrawContext* context) {
    if (context == nullptr) return;
    const CRect all(0, 0, width, height);
    context->setDrawMode(kAntialias);
    context->setFillColor(kListBack);
    context->fillRect(all);
    context->setFrameColor(kListBorder);
    context->drawRect(all);

    context->setFont(menu->getFont());
    const bool checkCurrent = (menu->getStyle() & kCheckStyle) != 0;
    const long current = menu->getCurrentIndex();
    for (long i = 0; i < menu->getNbEntries(); ++i) {
        const CMenuItem* item = menu->getEntry(i);
        const CRect row = rowRect(i);
        if (row.top >= height) break;  // entries added while showing
        const CCoord mid = (row.top + row.bottom) / 2;
        if (item->isSeparator()) {
            context->setFrameColor(kSeparatorLine);
            context->drawLine(CPoint(row.left + 2, mid), CPoint(row.right - 2, mid));
            continue;
        }
        const bool lit = i == highlight && selectable(i);
        if (lit) {
            context->setFillColor(kHighlightBack);
            context->fillRect(row);
        }
        const CColor ink = !item->isEnabled() ? kDisabledText : lit ? kWhiteCColor : kBlackCColor;
        if (item->isChecked() || (checkCurrent && i == current)) {
            const CPoint tick[3] = {CPoint(row.left + 4, mid), CPoint(row.left + 7, mid + 3),
                                    CPoint(row.left + 12, mid - 4)};
            context->setFrameColor(ink);
            context->setLineWidth(2);
            context->drawLine(tick[0], tick[1]);
            context->drawLine(tick[1], tick[2]);
            context->setLineWidth(1);
        }
        context->setFontColor(ink);
        context->drawString(item->getTitle(), CRect(kCheckWidth, row.top, width - kArrowWidth, row.bottom), false,
                            kLeftText);
        if (item->getSubmenu() != nullptr) {
            const CPoint arrow[3] = {CPoint(width - 10, mid - 4), CPoint(width - 10, mid + 4), CPoint(width - 5, mid)};
            context->setFillColor(ink);
            context->drawPolygon(arrow, 3, kDrawFilled);
        }
    }
}

void CMenuPopup::popupMouseDown(const CPoint& where, long /*buttons*/) {
    pressed = true;
    const long index = rowAt(where);
    if (index < 0) return;
    setHighlight(index);
    if (hasSubmenu(index) && selectable(index)) openSubmenu(index);
}

void CMenuPopup::popupMouseMoved(const CPoint& where, long /*buttons*/) {
    const long index = rowAt(where);
    if (index < 0) {
        // Off the list: only the row whose sub-list is open stays lit.
        setHighlight(child ? childIndex : -1);
        return;
    }
    setHighlight(index);
    if (hasSubmenu(index) && selectable(index)) {
        openSubmenu(index);
    } else {
        closeSubmenu();
    }
}

void CMenuPopup::popupMouseUp(const CPoint& where, long /*buttons*/) {
    // Only a press inside this list picks: the release of the click that opened it does not.
    if (!pressed) return;
    pressed = false;
    const long index = rowAt(where);
    if (!selectable(index) || hasSubmenu(index)) return;
    pick(index);
}

void CMenuPopup::popupKeyDown(const VstKeyCode& key) {
    if (child) {
        child->popupKeyDown(key);  // the deepest list has the keys
        return;
    }
    switch (key.virt) {
        case VKEY_DOWN:
            moveHighlight(1);
            break;
        case VKEY_UP:
            moveHighlight(-1);
            break;
        case VKEY_LEFT:
            if (parent != nullptr) parent->closeSubmenu();  // deletes this list
            return;
        case VKEY_RIGHT:
        case VKEY_RETURN:
        case VKEY_ENTER:
            if (!selectable(highlight)) break;
            if (hasSubmenu(highlight)) {
                openSubmenu(highlight);
                if (child) child->moveHighlight(1);
            } else if (key.virt != VKEY_RIGHT) {
                pick(highlight);
                return;
            }
            break;
        case VKEY_ESCAPE:
            root->closePopup();  // deletes this list
            return;
        default:
            break;
    }
}

void CMenuPopup::popupDismissed() { root->closePopup(); }

void CMenuPopup::openSubmenu(long index) {
    if (child && childIndex == index) return;
    closeSubmenu();
    COptionMenu* sub = menu->getEntry(index)->getSubmenu();
    if (sub == nullptr || sub->getNbEntries() == 0) return;
    // Beside the row, overlapping this list's border by one pixel.
    const CPoint topLeft(screenTopLeft.h + width - 1, screenTopLeft.v + rowRect(index).top - 1);
    auto list = std::make_unique<CMenuPopup>(root, sub, this);
    if (!list->open(platform, topLeft)) return;
    child = std::move(list);
    childIndex = index;
    if (window) window->invalid();
}

void CMenuPopup::closeSubmenu() {
    std::unique_ptr<CMenuPopup> old = std::move(child);
    childIndex = -1;
    old.reset();
}

void CMenuPopup::moveHighlight(long direction) {
    const long n = menu->getNbEntries();
    long i = highlight;
    if (i < 0 || i >= n) i = direction > 0 ? -1 : n;
    for (;;) {
        i += direction;
        if (i < 0 || i >= n) return;
        if (selectable(i)) {
            setHighlight(i);
            return;
        }
    }
}

void CMenuPopup::pick(long index) {
    COptionMenu* picker = root;
    COptionMenu* listed = menu;
    picker->entryPicked(listed, index);
}
