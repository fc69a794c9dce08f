#pragma once

// The names of the values Marrowlight keeps in the settings store, as callers
// hand them to SettingsStore (which puts "Marrowlight." in front). Controls of
// the Options dialog saved by the form-state walk are named by their container
// path, and its list controls by their object names, so neither is listed here.
namespace marrowlight::stored {

// Where the settings key lies: the organisation above it and the group in it.
inline constexpr const char* Organization = "Veltaroon";
inline constexpr const char* KeyGroup = "Default";

// Check states of the main window's menu items.
inline constexpr const char* LoadAutomaticallyAction = "LoadAutomaticallyMnu";
inline constexpr const char* AllEntriesAction = "AllEntriesMnu";
inline constexpr const char* Group1Action = "Group1Mnu";
inline constexpr const char* Group2Action = "Group2Mnu";
inline constexpr const char* Group3Action = "Group3Mnu";
inline constexpr const char* KeepModifiedLogFocused = "KeepModifedLogFocused";
inline constexpr const char* WrapLongLinesAction = "WrapLongLinesMnu";
inline constexpr const char* MuteAlertsAction = "MuteAlertsMnu";
inline constexpr const char* TerminalColoursAction = "TerminalColoursMnu";

// The log on the active tab when the main window closed.
inline constexpr const char* LastFocusedFile = "LastFocusedFile";

// The logs open when the main window closed, in tab order (a list in the
// layout below), and the index of the current one among them.
inline constexpr const char* LastSession = "LastSessionList";
inline constexpr const char* LastSessionCurrent = "LastSessionCurrent";

// The main window's client rectangle, named after the window.
inline constexpr const char* PlacementTop = "VtMarrowlightFrmTop";
inline constexpr const char* PlacementLeft = "VtMarrowlightFrmLeft";
inline constexpr const char* PlacementWidth = "VtMarrowlightFrmWidth";
inline constexpr const char* PlacementHeight = "VtMarrowlightFrmHeight";

// Written by the Options dialog, read at start-up.
inline constexpr const char* StayOnTop = "StayOnTop";

// Caption of display group g (1..3), written after the Options dialog.
constexpr const char* GroupCaption(int g) {
    constexpr const char* names[] = {"Group1Caption", "Group2Caption", "Group3Caption"};
    return names[g - 1];
}

// Keyword list of display group g (1..3), kept beside the form state.
constexpr const char* GroupMasks(int g) {
    constexpr const char* names[] = {"Group1Masks", "Group2Masks", "Group3Masks"};
    return names[g - 1];
}
inline constexpr const char* DateTimeMasks = "DateTimeMasks";
inline constexpr const char* WildcardsMasks = "WildcardsMasks";

// The recent-files list, stored in the list layout below.
inline constexpr const char* FileHistoryList = "FileHistoryList";
// The last patterns of the filter pane, newest first, in the same layout.
inline constexpr const char* FilterPatternList = "FilterPatternList";

// Endings that name the parts of one stored list, panel or file dialog.
inline constexpr const char* ItemsCount = ".ItemsCount";
inline constexpr const char* Item = ".Item"; // followed by the number, from 0
inline constexpr const char* ItemIndex = ".ItemIndex";
inline constexpr const char* Color = ".Color";
inline constexpr const char* Visible = ".Visible";
inline constexpr const char* FileName = ".FileName";
inline constexpr const char* FilterIndex = ".FilterIndex";

} // namespace marrowlight::stored
