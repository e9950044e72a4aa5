// Searches over the tables and the texts the windows and the command-line
// program show for table rows, kept here so each rule exists once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rows of ResolutionTable that videoCodec accepts, in table order (the
// order of the resolution menu). Empty for a codec other than 0 or 1.
std::vector<int32_t> AllowedResolutions(int32_t videoCodec);

// The rows of PhoneModelTable of one manufacturer, in table order.
std::vector<int32_t> ModelsOfManufacturer(int32_t manufacturer);

// The lowest row of PhoneModelTable whose Manufacturer is manufacturer.
std::optional<int32_t> FirstModelOfManufacturer(int32_t manufacturer);

// Case-insensitive exact match of a model name ("nokia n93"); for a name
// listed twice the lower row. No match: nullopt.
std::optional<int32_t> FindPhoneModelByName(std::string_view name);

// Case-insensitive exact match of a manufacturer name ("sony ericsson").
std::optional<int32_t> FindManufacturerByName(std::string_view name);

// Case-insensitive exact match of a level caption ("Low" ... "Custom";
// "Hight" is the caption of level 2).
std::optional<int32_t> FindQualityLevelByName(std::string_view name);

// The row of ResolutionTable with exactly this width and height.
std::optional<int32_t> FindResolution(int32_t width, int32_t height);

// "320 X 240" for a width and a height.
std::string SizeText(int32_t width, int32_t height);

// The size text of ResolutionTable[row]. The row must be 0 to 17.
std::string ResolutionText(int32_t row);

// "Nokia N93 (320 X 240 )": the model's name and its own default size, with
// a blank before the closing parenthesis. The row must be 0 to 83.
std::string PhoneModelText(int32_t row);

// "256 kbps" for a bitrate in kbit/s, whether or not it is one of the lists.
std::string BitrateText(int32_t kbps);
