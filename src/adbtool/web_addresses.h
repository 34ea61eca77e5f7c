#pragma once
// The makers' web addresses, shown in the ready text and opened by the link buttons.
namespace nimbo::web {

inline constexpr const char* kFirstMakerSite = "http://www.kelvo.example/";
inline constexpr const char* kSecondMakerSite = "http://www.tarnwick.example/";
// How the ready text names the two sites: short enough for its one line.
inline constexpr const char* kFirstMakerShort = "www.kelvo.example";
inline constexpr const char* kSecondMakerShort = "www.tarnwick.example";
inline constexpr const char* kOnlineHelpPage = "http://www.tarnwick.example/Androidxiazai/344.html";

}  // namespace nimbo::web
