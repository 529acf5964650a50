// A menu shown as its current entry's title; a click opens a pop-up window listing every entry
// (sub-menus open beside their entry). Picking entry i of n sets the value to i / n and reports it.
// A value v shows entry trunc(v × n) (guarded against float rounding of i / n), at most the last.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/CParamDisplay.h"

class COptionMenu;
class CMenuPopup;

class CMenuItem {
public:
    // Item flags.
    enum { kNoFlags = 0, kDisabled = 1 << 0, kTitle = 1 << 1, kChecked = 1 << 2, kSeparator = 1 << 3 };

    // UI thread: a title of "-" makes a separator.
    CMenuItem(const char* title, long flags = kNoFlags, COptionMenu* subMenu = nullptr);
    ~CMenuItem();

    void setTitle(const char* title);
    const char* getTitle() const { return title.c_str(); }
    bool isSeparator() const { return (flags & kSeparator) != 0; }
    bool isEnabled() const { return (flags & kDisabled) == 0; }
    bool isChecked() const { return (flags & kChecked) != 0; }
    void setChecked(bool state);
    void setEnabled(bool state);
    COptionMenu* getSubmenu() const { return subMenu; }

private:
    std::string title;
    long flags;
    COptionMenu* subMenu;  // remembered while held
};

class COptionMenu : public CParamDisplay {
public:
    // UI thread: style bits kNoFrame, kCheckStyle, kNoDrawStyle, ...
    COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr,
                CBitmap* bgWhenClick = nullptr, long style = 0);
    ~COptionMenu() override;

    // UI thread: adds at the end (index −1) or before index; "-" adds a separator.
    bool addEntry(const char* txt, long index = -1, long itemFlags = CMenuItem::kNoFlags);
    // UI thread: adds subMenu as an entry titled txt; the menu remembers it.
    bool addEntry(COptionMenu* subMenu, const char* txt);
    bool addSeparator() { return addEntry("-"); }
    bool removeEntry(long index);
    bool removeAllEntry();
    long getNbEntries() const { return static_cast<long>(entries.size()); }
    CMenuItem* getEntry(long index) const;
    // UI thread: copies entry index's title into txt (256 bytes); false when there is none.
    bool getEntry(long index, char* txt) const;
    bool checkEntry(long index, bool state);

    // The entry the value stands for.
    long getCurrentIndex() const;
    // Sets the value to index / entries.
    bool setCurrent(long index);
    void setValue(float val) override;

    // UI thread: opens the pop-up list now (what a click does); false when there are no entries.
    bool takeFocus(CDrawContext* context = nullptr);
    // UI thread: true while this menu's pop-up (or one of its sub-menus') is showing.
    bool isPopupShowing() const;
    // UI thread: closes the pop-up without a choice.
    void closePopup();
    // UI thread: the menu (this or a sub-menu) and entry last picked, for a listener that cares.
    COptionMenu* getLastItemMenu(long& idxInMenu) const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;

private:
    friend class CMenuPopup;
    // A pick in the pop-up of menu (this or a sub-menu) at index.
    void entryPicked(COptionMenu* menu, long index);

    std::vector<std::unique_ptr<CMenuItem>> entries;
    CBitmap* bgWhenClick;
    std::unique_ptr<CMenuPopup> popup;
    COptionMenu* lastMenu = nullptr;
    long lastResult = -1;
};
