#include "toolkit/COptionMenu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMenuPopup.h"

CMenuItem::CMenuItem(const char* title, long flags, COptionMenu* subMenu)
    : title(title != nullptr ? title : ""), flags(flags), subMenu(subMenu) {
    if (this->title == "-") this->flags |= kSeparator;
    if (subMenu != nullptr) subMenu->remember();
}

CMenuItem::~CMenuItem() {
    if (subMenu != nullptr) subMenu->forget();
}

void CMenuItem::setTitle(const char* newTitle) { title = newTitle != nullptr ? newTitle : ""; }

void CMenuItem::setChecked(bool state) { flags = state ? (flags | kChecked) : (flags & ~kChecked); }

void CMenuItem::setEnabled(bool state) { flags = state ? (flags & ~kDisabled) : (flags | kDisabled); }

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         CBitmap* bgWhenClick, long style)
    : CParamDisplay(size, background, style), bgWhenClick(bgWhenClick) {
    setListener(listener);
    setTag(tag);
    if (bgWhenClick != nullptr) bgWhenClick->remember();
}

COptionMenu::~COptionMenu() {
    popup.reset();
    entries.clear();
    if (bgWhenClick != nullptr) bgWhenClick->forget();
}

bool COptionMenu::addEntry(const char* txt, long index, long itemFlags) {
    if (txt == nullptr) return false;
    auto item = std::make_unique<CMenuItem>(txt, itemFlags);
    if (index < 0 || index >= getNbEntries()) {
        entries.push_back(std::move(item));
    } else {
        entries.insert(entries.begin() + index, std::move(item));
    }
    setDirty();
    if (popup) popup->invalid();
    return true;
}

bool COptionMenu::addEntry(COptionMenu* subMenu, const char* txt) {
    // A menu inside itself would hold itself alive for ever.
    if (subMenu == nullptr || subMenu == this) return false;
    entries.push_back(std::make_unique<CMenuItem>(txt, CMenuItem::kNoFlags, subMenu));
    setDirty();
    if (popup) popup->invalid();
    return true;
}

bool COptionMenu::removeEntry(long index) {
    if (index < 0 || index >= getNbEntries()) return false;
    entries.erase(entries.begin() + index);
    setDirty();
    if (popup) popup->invalid();
    return true;
}

bool COptionMenu::removeAllEntry() {
    entries.clear();
    setDirty();
    if (popup) popup->invalid();
    return true;
}

CMenuItem* COptionMenu::getEntry(long index) const {
    return index >= 0 && index < getNbEntries() ? entries[static_cast<size_t>(index)].get() : nullptr;
}

bool COptionMenu::getEntry(long index, char* txt) const {
    const CMenuItem* item = getEntry(index);
    if (item == nullptr || txt == nullptr) return false;
    std::strncpy(txt, item->getTitle(), 255);
    txt[255] = '\0';
    return true;
}

bool COptionMenu::checkEntry(long index, bool state) {
    CMenuItem* item = getEntry(index);
    if (item == nullptr) return false;
    item->setChecked(state);
    setDirty();
    if (popup) popup->invalid();
    return true;
}

long COptionMenu::getCurrentIndex() const {
    const long n = getNbEntries();
    if (n == 0 || !(value > 0.f)) return 0;  // NaN and negatives: the first entry
    // i / n in float can land a hair below i / n: the small guard reads it back as i.
    const double index = std::floor(static_cast<double>(value) * static_cast<double>(n) + 1e-4);
    return static_cast<long>(std::min(index, static_cast<double>(n - 1)));
}

bool COptionMenu::setCurrent(long index) {
    const long n = getNbEntries();
    if (index < 0 || index >= n) return false;
    setValue(static_cast<float>(index) / static_cast<float>(n));
    return true;
}

void COptionMenu::setValue(float val) {
    CParamDisplay::setValue(val);
    if (popup) popup->invalid();  // the check mark moves
}

bool COptionMenu::takeFocus(CDrawContext* /*context*/) {
    if (entries.empty()) return false;
    if (popup) return true;
    CFrame* frame = getFrame();
    if (frame == nullptr || frame->getPlatformFrame() == nullptr) return false;
    const CPoint screen = frame->getScreenPosition();
    const CPoint topLeft(screen.h + size.left, screen.v + size.top);
    // Showing from the moment the window is asked for: a platform may draw it at once.
    popup = std::make_unique<CMenuPopup>(this, this, nullptr);
    popup->setHighlight(getCurrentIndex());
    if (!popup->open(frame->getPlatformFrame(), topLeft)) {
        popup.reset();  // no window for it: nothing is picked
        return false;
    }
    invalid();
    return true;
}

bool COptionMenu::isPopupShowing() const { return popup != nullptr; }

void COptionMenu::closePopup() {
    if (!popup) return;
    std::unique_ptr<CMenuPopup> old = std::move(popup);
    old.reset();
    invalid();
}

COptionMenu* COptionMenu::getLastItemMenu(long& idxInMenu) const {
    idxInMenu = lastResult;
    return lastMenu;
}

void COptionMenu::entryPicked(COptionMenu* menu, long index) {
    // Lists first: the listener may open another menu, a file dialog, or rebuild this one.
    closePopup();
    if (menu == nullptr || index < 0 || index >= menu->getNbEntries()) return;
    lastMenu = menu;
    lastResult = index;
    // A sub-menu has its own tag and listener: the pick is its change, not this menu's.
    menu->remember();
    menu->beginEdit();
    menu->setCurrent(index);
    menu->setDirty();
    if (CControlListener* l = menu->getListener()) l->valueChanged(menu);
    menu->endEdit();
    menu->forget();
}

void COptionMenu::draw(CDrawContext* context) {
    if ((style & kNoDrawStyle) == 0 && context != nullptr) {
        const CMenuItem* item = getEntry(getCurrentIndex());
        const char* title = item != nullptr && !item->isSeparator() ? item->getTitle() : "";
        CBitmap* normal = pBackground;
        if (popup && bgWhenClick != nullptr) pBackground = bgWhenClick;  // borrowed, not remembered
        drawText(context, title, size);
        pBackground = normal;
    }
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& /*where*/, const long& buttons) {
    if (!mouseEnabled) return kMouseEventNotHandled;
    if ((buttons & (kRButton | kControl)) != 0 && listener != nullptr &&
        listener->controlModifierClicked(this, buttons) != 0) {
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    if ((buttons & kLButton) == 0) return kMouseEventNotHandled;
    takeFocus();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "COptionMenu") == 0) || CParamDisplay::isTypeOf(type);
}

CView* COptionMenu::newCopy() const {
    auto* copy = new COptionMenu(size, listener, tag, pBackground, bgWhenClick, style);
    for (const auto& item : entries) {
        if (item->getSubmenu() != nullptr) {
            copy->addEntry(item->getSubmenu(), item->getTitle());
        } else {
            long flags = CMenuItem::kNoFlags;
            if (!item->isEnabled()) flags |= CMenuItem::kDisabled;
            if (item->isChecked()) flags |= CMenuItem::kChecked;
            copy->addEntry(item->getTitle(), -1, flags);
        }
    }
    copyLookTo(copy);
    return copy;
}
