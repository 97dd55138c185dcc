#pragma once

// Window classes and control identifiers of the program's windows. Test drivers find the
// controls by these, so they are part of the program's outside face: keep them stable.
namespace rd::ids {

inline constexpr const char* MainClass = "ReplaydockMain";
inline constexpr const char* ConfigClass = "ReplaydockConfig";
inline constexpr const char* SplashClass = "ReplaydockSplash";
inline constexpr const char* LibraryClass = "ReplaydockLibrary";

// Main window.
inline constexpr int MainLblTop = 100;
inline constexpr int MainLblInfo = 101;
inline constexpr int MainTxtFilename = 102;
inline constexpr int MainCmdSelect = 103;
inline constexpr int MainCboGame = 104;
inline constexpr int MainCboSpeed = 105;
inline constexpr int MainCboMod = 106;
inline constexpr int MainCboResolution = 107;
inline constexpr int MainLblDemo = 108;
inline constexpr int MainCmdBottom0 = 110;  // "&Cancel"; 111 "C&onfiguration", 112 "&Play"
inline constexpr int MainCmdLibrary = 113;

// Configuration window.
inline constexpr int ConfigCmdBottom = 200;  // "&Done"
inline constexpr int ConfigTab = 201;
inline constexpr int ConfigCboGame = 202;
inline constexpr int ConfigTxtLocation = 203;
inline constexpr int ConfigCmdSelect = 204;
inline constexpr int ConfigCmdRegister = 205;
inline constexpr int ConfigLblFound = 206;     // the executable found, offered
inline constexpr int ConfigCmdUseFound = 207;  // "&Use": takes it

// Library window.
inline constexpr int LibraryTxtSearch = 300;
inline constexpr int LibraryList = 301;  // the virtual list view, report mode
inline constexpr int LibraryLblStatus = 302;
inline constexpr int LibraryLblLine = 303;
inline constexpr int LibraryLblPlayers = 304;
inline constexpr int LibraryCmdAddFolder = 305;
inline constexpr int LibraryCmdRemoveFolder = 306;  // a menu of the folders added

}  // namespace rd::ids
