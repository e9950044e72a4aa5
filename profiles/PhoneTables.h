// Phone manufacturers and phone models.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "QualityTables.h"
#include "ResolutionTables.h"

// Id is the manufacturer id and equals the row's position.
inline constexpr std::array<NamedEntry, 4> ManufacturerTable{{
    {"Nokia", 0},
    {"Motorola", 1},
    {"Samsung", 2},
    {"Sony Ericsson", 3},
}};

struct PhoneModelEntry {
    std::string_view Name;
    int32_t Manufacturer;  // manufacturer id
    int32_t Resolution;    // the model's default picture size, a row of ResolutionTable
    int32_t VideoCodec;    // 1 MPEG-4 Part 2, 0 H.263
    int32_t AudioFlag;     // handed to the worker unchanged; the sound is AMR-NB either way
};

// Grouped by manufacturer in ascending id; the first row of each manufacturer
// is the model chosen when the user switches to that manufacturer. Rows 42 and
// 47 are the same phone listed twice; both are offered.
inline constexpr std::array<PhoneModelEntry, 84> PhoneModelTable{{
    {"Nokia N93", 0, 11, 1, 1},                         // 0
    {"Nokia N91/N92", 0, 11, 1, 1},                     // 1
    {"Nokia N80", 0, 11, 1, 1},                         // 2
    {"Nokia N73", 0, 11, 1, 1},                         // 3
    {"Nokia N72", 0, 8, 1, 0},                          // 4
    {"Nokia N71", 0, 11, 1, 1},                         // 5
    {"Nokia 3250", 0, 6, 1, 1},                         // 6
    {"Nokia 5500", 0, 6, 1, 1},                         // 7
    {"Nokia 6131", 0, 6, 1, 1},                         // 8
    {"Nokia 6230", 0, 2, 0, 0},                         // 9
    {"Nokia 6233/6235", 0, 6, 0, 0},                    // 10
    {"Nokia 6270/6280", 0, 6, 0, 0},                    // 11
    {"Nokia 6620/6230i", 0, 6, 0, 0},                   // 12
    {"Nokia 6630", 0, 6, 0, 0},                         // 13
    {"Nokia 6633/6235", 0, 6, 0, 0},                    // 14
    {"Nokia 6255/6255i/6256i", 0, 6, 0, 0},             // 15
    {"Nokia E60/E61/E62/E70", 0, 11, 1, 1},             // 16
    {"Motorola E398", 1, 6, 1, 0},                      // 17
    {"Motorola E680", 1, 11, 1, 0},                     // 18
    {"Motorola E770", 1, 6, 1, 1},                      // 19
    {"Motorola E815", 1, 5, 1, 1},                      // 20
    {"Motorola E1000", 1, 14, 1, 1},                    // 21
    {"Motorola E1060", 1, 6, 1, 0},                     // 22
    {"Motorola E1070/E1120", 1, 6, 1, 1},               // 23
    {"Motorola PEBL", 1, 6, 1, 0},                      // 24
    {"Motorola ROKR E1/E2", 1, 6, 1, 1},                // 25
    {"Motorola SLVR/V80", 1, 2, 1, 0},                  // 26
    {"Motorola A630", 1, 6, 1, 0},                      // 27
    {"Motorola A780", 1, 6, 1, 1},                      // 28
    {"Motorola A840/A845", 1, 6, 1, 0},                 // 29
    {"Motorola A920/A925", 1, 6, 1, 1},                 // 30
    {"Motorola A1000", 1, 6, 0, 1},                     // 31
    {"Motorola RAZR V3", 1, 6, 0, 0},                   // 32
    {"Motorola C168/C257/C261", 1, 6, 1, 0},            // 33
    {"Motorola C975/C980", 1, 6, 1, 1},                 // 34
    {"Motorola V547", 1, 6, 0, 0},                      // 35
    {"Motorola V635", 1, 6, 0, 0},                      // 36
    {"Motorola V710", 1, 6, 0, 0},                      // 37
    {"Motorola V975/V980/V1050", 1, 6, 1, 0},           // 38
    {"Motorola L6/L7", 1, 2, 1, 0},                     // 39
    {"Samsung D500", 2, 6, 0, 0},                       // 40
    {"Samsung D900/D908", 2, 11, 1, 1},                 // 41
    {"Samsung D800/D807/D808", 2, 6, 1, 1},             // 42
    {"Samsung A800/A930/A950/A970", 2, 6, 1, 1},        // 43
    {"Samsung D500/D508/D520/D528", 2, 6, 1, 1},        // 44
    {"Samsung D600/D608", 2, 11, 1, 1},                 // 45
    {"Samsung D720/D730", 2, 6, 1, 1},                  // 46
    {"Samsung D800/D807/D808", 2, 6, 1, 1},             // 47
    {"Samsung D810/Z710/D820/T809", 2, 11, 1, 1},       // 48
    {"Samsung D870/D900", 2, 11, 1, 1},                 // 49
    {"Samsung E500/E530/E720/E728", 2, 6, 1, 1},        // 50
    {"Samsung E730/E738/E750/E758", 2, 6, 1, 1},        // 51
    {"Samsung E760/E770/E780/E870", 2, 6, 1, 1},        // 52
    {"Samsung E880/P200", 2, 6, 1, 1},                  // 53
    {"Samsung E900/E908", 2, 11, 1, 1},                 // 54
    {"Samsung P300/P308/P730/P738", 2, 6, 1, 1},        // 55
    {"Samsung P777", 2, 6, 1, 1},                       // 56
    {"Samsung P850/P858/P900/P910", 2, 11, 1, 1},       // 57
    {"Samsung S410/S500i/S508", 2, 6, 1, 1},            // 58
    {"Samsung Z110", 2, 11, 1, 1},                      // 59
    {"Samsung Z300/Z308/Z310/Z320", 2, 6, 1, 1},        // 60
    {"Samsung Z330/Z350/Z400", 2, 6, 1, 1},             // 61
    {"Samsung Z500/Z508", 2, 6, 1, 1},                  // 62
    {"Samsung Z510/Z520/Z540/Z548", 2, 11, 1, 1},       // 63
    {"Samsung Z550/Z560/Z600/Z710", 2, 11, 1, 1},       // 64
    {"Samsung Zv10", 2, 6, 1, 1},                       // 65
    {"Samsung Zv30", 2, 11, 1, 1},                      // 66
    {"Samsung X700/X800", 2, 6, 1, 1},                  // 67
    {"Samsung X810", 2, 2, 1, 1},                       // 68
    {"Samsung X820", 2, 6, 1, 1},                       // 69
    {"Samsung SPH-m500", 2, 6, 1, 1},                   // 70
    {"Sony Ericsson W550c/W600c/K700c", 3, 6, 0, 0},    // 71
    {"Sony Ericsson K750i", 3, 6, 1, 1},                // 72
    {"Sony Ericsson K700i", 3, 6, 0, 0},                // 73
    {"Sony Ericsson K750/K600/K608/K610", 3, 6, 1, 1},  // 74
    {"Sony Ericsson F500", 3, 6, 1, 0},                 // 75
    {"Sony Ericsson K750c/K758c", 3, 6, 1, 1},          // 76
    {"Sony Ericsson W850i/M600", 3, 11, 1, 1},          // 77
    {"Sony Ericsson P990", 3, 11, 1, 1},                // 78
    {"Sony Ericsson S700/S710/V600/V800", 3, 6, 1, 1},  // 79
    {"Sony Ericsson W550/W600/W800/W810", 3, 6, 1, 1},  // 80
    {"Sony Ericsson W850i/W900/W950", 3, 11, 1, 1},     // 81
    {"Sony Ericsson Z500/Z520", 3, 2, 1, 0},            // 82
    {"Sony Ericsson Z1010", 3, 6, 1, 1},                // 83
}};

namespace profiles_detail {
constexpr int32_t CountModels(int32_t manufacturer) {
    int32_t count = 0;
    for (const PhoneModelEntry& model : PhoneModelTable) {
        if (model.Manufacturer == manufacturer) ++count;
    }
    return count;
}
}  // namespace profiles_detail

static_assert(profiles_detail::CountModels(0) == 17, "17 Nokia models expected");
static_assert(profiles_detail::CountModels(1) == 23, "23 Motorola models expected");
static_assert(profiles_detail::CountModels(2) == 31, "31 Samsung models expected");
static_assert(profiles_detail::CountModels(3) == 13, "13 Sony Ericsson models expected");
static_assert(
    [] {
        for (std::size_t i = 0; i < ManufacturerTable.size(); ++i) {
            if (ManufacturerTable[i].Id != static_cast<int32_t>(i)) return false;
        }
        int32_t previous = 0;
        for (const PhoneModelEntry& model : PhoneModelTable) {
            // grouped by ascending manufacturer id
            if (model.Manufacturer < previous) return false;
            previous = model.Manufacturer;
            // every default size is one its own codec accepts
            if (!IsResolutionAllowed(model.VideoCodec, model.Resolution)) return false;
            if (model.AudioFlag != 0 && model.AudioFlag != 1) return false;
            if (model.Name.empty() || model.Name.size() > 255) return false;
        }
        return previous == 3;
    }(),
    "PhoneModelTable is inconsistent with the other tables");
