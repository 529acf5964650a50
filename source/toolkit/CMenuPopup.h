// The pop-up list of an option menu, drawn by the toolkit in a platform pop-up window: one row per
// entry (separators as thin rows), a check on the current entry under kCheckStyle, an arrow on
// sub-menu entries, whose own list opens beside the row on hover or click. Picks go back to the
// menu that was clicked (the root), which closes every list before it reports.
#pragma once

#include <memory>

#include "toolkit/CRect.h"
#include "toolkit/IPlatformFrame.h"

class COptionMenu;

class CMenuPopup : public IPlatformPopupClient {
public:
    // UI thread: lists menu's entries for root; parent is the list this one opened from (null for the
    // root's own list). A sub-menu is remembered while listed.
    CMenuPopup(COptionMenu* root, COptionMenu* menu, CMenuPopup* parent);
    // UI thread: closes the sub-menu's list, then this list's window.
    ~CMenuPopup() override;
    CMenuPopup(const CMenuPopup&) = delete;
    CMenuPopup& operator=(const CMenuPopup&) = delete;

    // UI thread: opens the window with its top-left corner at screenTopLeft (screen coordinates in view
    // pixels, as IPlatformFrame has them). The screen size is unknown here: the platform moves a list
    // that would pass a screen edge back onto the screen (X11 does), and sub-lists are placed from the
    // place asked. False when the platform has no window for it.
    bool open(IPlatformFrame* platform, const CPoint& screenTopLeft);

    // UI thread: the list's size in view pixels (fixed when opened).
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    // UI thread: entry index's row in popup coordinates (empty when there is no such entry).
    CRect rowRect(long index) const;
    // UI thread: the entry whose row holds where, −1 for none.
    long rowAt(const CPoint& where) const;
    // UI thread: the highlighted entry, −1 for none.
    long getHighlight() const { return highlight; }
    void setHighlight(long index);
    // UI thread: the open sub-menu's list, null for none.
    CMenuPopup* getSubPopup() const { return child.get(); }
    COptionMenu* getMenu() const { return menu; }
    // UI thread: the entries or the value changed: draw again (sub-lists too).
    void invalid();

    void drawPopup(CDrawContext* context) override;
    void popupMouseDown(const CPoint& where, long buttons) override;
    void popupMouseMoved(const CPoint& where, long buttons) override;
    void popupMouseUp(const CPoint& where, long buttons) override;
    void popupKeyDown(const VstKeyCode& key) override;
    void popupDismissed() override;

    static constexpr CCoord kMinRowHeight = 16;
    static constexpr CCoord kSeparatorHeight = 7;
    static constexpr CCoord kCheckWidth = 16;
    static constexpr CCoord kArrowWidth = 14;
    static constexpr CCoord kTextPad = 4;

private:
    CCoord rowHeight(long index) const;
    bool selectable(long index) const;
    bool hasSubmenu(long index) const;
    void openSubmenu(long index);
    void closeSubmenu();
    void moveHighlight(long direction);
    // Ends in the root closing every list: nothing of this object may be touched afterwards.
    void pick(long index);

    COptionMenu* root;
    COptionMenu* menu;
    CMenuPopup* parent;
    IPlatformFrame* platform = nullptr;
    std::unique_ptr<IPlatformPopup> window;
    std::unique_ptr<CMenuPopup> child;
    long childIndex = -1;
    long highlight = -1;
    bool pressed = false;
    CPoint screenTopLeft;
    CCoord width = 0;
    CCoord height = 0;
    CCoord textRowHeight = kMinRowHeight;
};
