// The application's title: the main window's caption and the caption of every
// message the program shows.
#pragma once

inline constexpr char ApplicationTitle[] = "Kestovar 3GP Video Converter";
