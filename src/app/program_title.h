#pragma once
// The program's title: the caption of every message box and the beginning of the main
// window's caption.

namespace velmoran::app {

inline constexpr const char* programTitle = "Velmoran 2021";

}  // namespace velmoran::app
