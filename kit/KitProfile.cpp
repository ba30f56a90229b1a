// The kit profiles. docs/kits.md names the source of every value.
#include "KitProfile.h"

namespace {

// Segment codes with segment a in bit 0 to g in bit 6 and the point in bit 7
// (a placeholder for the kits whose display wiring no source showed).
constexpr std::uint8_t _SegmentsAbcdefg[16] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
                                               0x7F, 0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71};

// The SDK-85's display RAM bytes. Its monitor keeps a table of lit segments
// (bit 0 e, 1 f, 2 g, 3 point, 4 a, 5 b, 6 c, 7 d) and stores each entry
// complemented, as a 0 bit lights a segment; a dark digit is FFH.
constexpr std::uint8_t Dark(std::uint8_t lit)
{
    return static_cast<std::uint8_t>(~lit);
}
constexpr std::uint8_t _SegmentsSdk85[16] = {Dark(0xF3), Dark(0x60), Dark(0xB5), Dark(0xF4), Dark(0x66), Dark(0xD6),
                                             Dark(0xD7), Dark(0x70), Dark(0xF7), Dark(0x76), Dark(0x77), Dark(0xC7),
                                             Dark(0x93), Dark(0xE5), Dark(0x97), Dark(0x17)};

// clang-format off
// --- Intel SDK-85 ----------------------------------------------------------
constexpr MemoryRange _Sdk85Rom[] = {{0x0000, 0x07FF}};
constexpr MemoryRange _Sdk85Ram[] = {{0x2000, 0x20FF}, {0x2800, 0x28FF}};
constexpr ChipPlacement _Sdk85Chips[] = {
    {"8279", DeviceKind::I8279, true, 0x1800, 0x0100, -1, 0, 0, InterruptSource::Rst55, "sdk85-listing 108, 116, 199-202"},
    {"8155", DeviceKind::I8155, false, 0x20, 1, 0x20, 1, 0, InterruptSource::Trap, "sdk85-listing 93, 112, 132-135, 190-192"},
    {"8155 (expansion)", DeviceKind::I8155, false, 0x28, 1, 0x28, 1, -1, InterruptSource::Trap, "unconfirmed"},
};
constexpr MonitorEntry _Sdk85Entries[] = {
    {"CLEAR", 0x01D7, MonitorService::ClearDisplay, 0, "not listed; A, B, C, D, E, H, L and flags through OUTPT", "sdk85-listing 516-536, 815-822"},
    {"RDKBD", 0x02E7, MonitorService::ReadKey, 0, "A, H, L and flags; returns with interrupts disabled", "sdk85-listing 869-893"},
    {"UPDAD", 0x035F, MonitorService::ShowAddressAt, 0x20F6, "A, B, C, D, E, H, L and flags", "sdk85-listing 1055-1072, 586-593"},
    {"UPDAD+4", 0x0363, MonitorService::ShowAddressField, 0, "A, B, C, D, E, H, L and flags", "sdk85-listing 1055-1072"},
    {"UPDDT", 0x036B, MonitorService::ShowDataAt, 0x20F8, "A, B, C, D, E, H, L and flags", "sdk85-listing 1076-1093, 586-593"},
    {"UPDDT+3", 0x036E, MonitorService::ShowDataField, 0, "A, B, C, D, E, H, L and flags", "sdk85-listing 1076-1093"},
    {"RST 1", 0x0008, MonitorService::ReturnToMonitor, 0, "", "sdk85-listing 171-188"},
};
constexpr KitKey _Sdk85Keys[] = {
    {"EXEC", 0x10, 0x10}, {"NEXT", 0x11, 0x11}, {"GO", 0x12, 0x12},
    {"SUBST", 0x13, 0x13}, {"EXAM", 0x14, 0x14}, {"STEP", 0x15, 0x15},
};

// --- Dynalog Microfriend Dyna-85 ------------------------------------------
constexpr MemoryRange _Dyna85Rom[] = {{0x0000, 0x1FFF}};
constexpr MemoryRange _Dyna85Ram[] = {{0x2000, 0x3FFF}};
constexpr ChipPlacement _Dyna85Chips[] = {
    {"8279", DeviceKind::I8279, false, 0x40, 1, -1, 0, -1, InterruptSource::Rst55, "unconfirmed"},
    {"8255", DeviceKind::I8255, false, 0x00, 1, -1, 0, -1, InterruptSource::Rst55, "unconfirmed"},
    {"8253", DeviceKind::I8253, false, 0x10, 1, -1, 2, -1, InterruptSource::Rst65, "unconfirmed"},
    {"8251", DeviceKind::I8251, false, 0x20, 1, -1, 20, -1, InterruptSource::Rst65, "unconfirmed"},
};
constexpr MonitorEntry _Dyna85Entries[] = {
    {"MODIDT", 0x036E, MonitorService::ShowDataField, 0, "A and flags", "lab-collection"},
    {"RDKBD", 0x02E7, MonitorService::ReadKey, 0, "not known", "unconfirmed"},
    {"RST 5", 0x0028, MonitorService::ReturnToMonitor, 0, "", "unconfirmed"},
};
constexpr KitKey _Dyna85Keys[] = {
    {"EXEC", 0x10, 0x10}, {"NEXT", 0x11, 0x11}, {"GO", 0x12, 0x12},
    {"SET", 0x13, 0x13}, {"REG", 0x14, 0x14}, {"STEP", 0x15, 0x15},
};

// --- ALS 8085 trainer -----------------------------------------------------
constexpr MemoryRange _AlsRom[] = {{0x0000, 0x3FFF}};
constexpr MemoryRange _AlsRam[] = {{0xC000, 0xFFFF}};
constexpr ChipPlacement _AlsChips[] = {
    {"8279", DeviceKind::I8279, false, 0x40, 1, -1, 0, -1, InterruptSource::Rst55, "unconfirmed"},
    {"8255", DeviceKind::I8255, false, 0x00, 1, -1, 0, -1, InterruptSource::Rst55, "unconfirmed"},
    {"8253", DeviceKind::I8253, false, 0x10, 1, -1, 2, -1, InterruptSource::Rst65, "unconfirmed"},
};
constexpr MonitorEntry _AlsEntries[] = {
    {"RDKBD", 0x02E7, MonitorService::ReadKey, 0, "not known", "lab-collection"},
    {"RST 1", 0x0008, MonitorService::ReturnToMonitor, 0, "", "lab-collection"},
};

constexpr KitProfile _Profiles[] = {
    {"sdk85", "Intel SDK-85 System Design Kit", "SDK-85 System Design Kit User's Manual", 3072000, _Sdk85Rom, _Sdk85Ram,
     _Sdk85Chips, _Sdk85Entries, _Sdk85Keys, _SegmentsSdk85, 0xFF, {0, 1, 2, 3}, {4, 5}, "RST 1", "VECT", InterruptSource::Rst75},
    {"dyna85", "Dynalog Microfriend Dyna-85", "Microfriend Dyna-85 User's Manual", 3072000, _Dyna85Rom, _Dyna85Ram,
     _Dyna85Chips, _Dyna85Entries, _Dyna85Keys, _SegmentsAbcdefg, 0x00, {0, 1, 2, 3}, {4, 5}, "RST 5", "VI", InterruptSource::Rst75},
    {"als85", "ALS 8085 trainer", "none found", 3072000, _AlsRom, _AlsRam, _AlsChips, _AlsEntries, _Sdk85Keys,
     _SegmentsAbcdefg, 0x00, {0, 1, 2, 3}, {4, 5}, "RST 1", nullptr, InterruptSource::Rst75},
};

// clang-format on

} // namespace

const std::span<const KitProfile> _KitProfiles{_Profiles};

const KitProfile* FindKitProfile(std::string_view name)
{
    for (const auto& profile : _KitProfiles)
        if (name == profile.Name)
            return &profile;
    return nullptr;
}
