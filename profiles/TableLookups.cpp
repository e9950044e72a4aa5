#include "TableLookups.h"

#include <algorithm>
#include <cctype>

#include "PhoneTables.h"
#include "QualityTables.h"
#include "ResolutionTables.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

template <typename Range, typename NameOf>
std::optional<int32_t> FindByName(const Range& rows, std::string_view name, NameOf nameOf) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (EqualsIgnoringCase(nameOf(rows[i]), name)) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

}  // namespace

std::vector<int32_t> AllowedResolutions(int32_t videoCodec) {
    std::vector<int32_t> rows;
    for (const ResolutionEntry& entry : ResolutionTable) {
        if (IsResolutionAllowed(videoCodec, entry.Index)) rows.push_back(entry.Index);
    }
    return rows;
}

std::vector<int32_t> ModelsOfManufacturer(int32_t manufacturer) {
    std::vector<int32_t> rows;
    for (std::size_t i = 0; i < PhoneModelTable.size(); ++i) {
        if (PhoneModelTable[i].Manufacturer == manufacturer)
            rows.push_back(static_cast<int32_t>(i));
    }
    return rows;
}

std::optional<int32_t> FirstModelOfManufacturer(int32_t manufacturer) {
    for (std::size_t i = 0; i < PhoneModelTable.size(); ++i) {
        if (PhoneModelTable[i].Manufacturer == manufacturer) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

std::optional<int32_t> FindPhoneModelByName(std::string_view name) {
    return FindByName(PhoneModelTable, name, [](const PhoneModelEntry& e) { return e.Name; });
}

std::optional<int32_t> FindManufacturerByName(std::string_view name) {
    return FindByName(ManufacturerTable, name, [](const NamedEntry& e) { return e.Name; });
}

std::optional<int32_t> FindQualityLevelByName(std::string_view name) {
    return FindByName(QualityLevelNames, name, [](std::string_view e) { return e; });
}

std::optional<int32_t> FindResolution(int32_t width, int32_t height) {
    for (const ResolutionEntry& entry : ResolutionTable) {
        if (entry.Width == width && entry.Height == height) return entry.Index;
    }
    return std::nullopt;
}

std::string SizeText(int32_t width, int32_t height) {
    return std::to_string(width) + " X " + std::to_string(height);
}

std::string ResolutionText(int32_t row) {
    const ResolutionEntry& entry = ResolutionTable[static_cast<std::size_t>(row)];
    return SizeText(entry.Width, entry.Height);
}

std::string PhoneModelText(int32_t row) {
    const PhoneModelEntry& model = PhoneModelTable[static_cast<std::size_t>(row)];
    return std::string(model.Name) + " (" + ResolutionText(model.Resolution) + " )";
}

std::string BitrateText(int32_t kbps) {
    return std::to_string(kbps) + " kbps";
}
