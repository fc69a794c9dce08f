#pragma once

namespace marrowlight {

// The check marks of the main window's menu that the monitor obeys. The main
// window answers from its menu items at the moment of each call.
class MenuChecks {
  public:
    virtual ~MenuChecks() = default;
    // "All Entries" of the View menu.
    virtual bool AllEntries() const = 0;
    // The View menu item of group g (1..3).
    virtual bool GroupShown(int g) const = 0;
    virtual bool KeepModifiedLogFocused() const = 0;
    virtual bool OpenCloseLogsAutomatically() const = 0;
    // "Wrap Long Lines" of the View menu.
    virtual bool WrapLongLines() const { return false; }
    // "Terminal Colours" of the View menu: rows drawn in the colours their
    // escape sequences set (the sequences are never drawn either way).
    virtual bool TerminalColours() const { return true; }
};

} // namespace marrowlight
