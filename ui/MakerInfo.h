// The maker of the program, as the About box and the "Home Page" command show it.
#pragma once

inline constexpr char MakerName[] = "Brenholt Software";
inline constexpr char MakerCopyright[] = "Copyright (C) 2007-2008 Brenholt Software";
inline constexpr char MakerLine[] = "Video tools for your mobile phone";
inline constexpr char MakerMail[] = "support@brenholt-soft.example";
inline constexpr char MakerWeb[] = "http://www.brenholt-soft.example";
inline constexpr char HomePageAddress[] = "http://www.brenholt-soft.example/3gp-video-converter/";
