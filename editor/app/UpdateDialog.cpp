#include "app/UpdateDialog.h"

#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"

namespace lumavox {

void appendUpdateDialogTexts(std::vector<DialogTexts>& d) {
    d.push_back({kUpdateDialog,
                 "Update text file",
                 {{kCtlFirst, "Available Text Files"},
                  {kCtlSecond, "Clear All Memory"},
                  {kCtlThird, "Clear All Text Files"},
                  {kCtlFourth, "Update"},
                  {kCtlFifth, "Read File"},
                  {kCtlSixth, "Close"}}});
    d.push_back({kComportAddrDialog,
                 "Comport & Addr.",
                 {{kControlOk, "OK"},
                  {kControlCancel, "Cancel"},
                  {kCtlFirst, "Comport"},
                  {kCtlSecond, "Address of moving-sign (such as 1,3,10-12)"},
                  {kCtlThird, "Check to display dialog box before message update"},
                  {kCtlFourth, "TCP/IP group"}}});
    d.push_back({kCommOptionDialog,
                 "Communication option",
                 {{kControlOk, "OK"},
                  {kControlCancel, "Cancel"},
                  {kCtlFirst, "RS-232"},
                  {kCtlSecond, "TCP/IP"},
                  {kCtlThird, "GPRS"},
                  {kCtlFourth, "IP Port"},
                  {kCtlFifth, "Hang up TCP/IP connection when send complete"},
                  {kCtlSixth, "TCP/IP groups"},
                  {kCtlSeventh, "Add"},
                  {kCtlEighth, "Edit"},
                  {kCtlNinth, "Delete"}}});
    d.push_back(
        {kTcpGroupDialog,
         "TCP/IP Group Info",
         {{kControlOk, "OK"},
          {kControlCancel, "Cancel"},
          {kCtlFirst, "Group name"},
          {kCtlSecond, "IP address"},
          {kCtlThird, "Note: If one group has multi-IP Address, please separate by comma"}}});
    d.push_back({kBaudRateDialog,
                 "Select baud rate",
                 {{kControlOk, "OK"},
                  {kControlCancel, "Cancel"},
                  {kCtlFirst, "Baud rate"},
                  {kCtlSecond, "Help"}}});
    d.push_back({kChangeAddressDialog,
                 "Change Address",
                 {{kControlOk, "Update"},
                  {kControlCancel, "Close"},
                  {kCtlFirst, "Change the old address"},
                  {kCtlSecond, "To the new address"}}});
    d.push_back({kClearSignDialog,
                 "Clear the sign",
                 {{kControlCancel, "Close"},
                  {kCtlFirst, "Clear all memory"},
                  {kCtlSecond, "Clear all schedule task"},
                  {kCtlThird, "Clear all graphics"},
                  {kCtlFourth, "Clear all text files"}}});
    d.push_back(
        {kSetDefaultDialog,
         "Set default file",
         {{kControlOk, "Update"}, {kControlCancel, "Close"}, {kCtlFirst, "Exist text file"}}});
    d.push_back({kAutoOnOffDialog,
                 "Set time for Auto ON/OFF...",
                 {{kControlOk, "Update"},
                  {kControlCancel, "Close"},
                  {kCtlFirst, "ON by manual"},
                  {kCtlSecond, "ON by automatically"},
                  {kCtlThird, "OFF by manual"},
                  {kCtlFourth, "OFF by automatically"},
                  {kCtlFifth, "( Time is only for Auto ON or Auto OFF)"}}});
}

UpdateDialogLook updateDialogLook(UpdateKind kind) {
    UpdateDialogLook look;
    const int k = static_cast<int>(kind);
    if (kind != UpdateKind::SendText) look.titleId = msg::kUpdateKindTitle + k;
    switch (kind) {
        case UpdateKind::SendText:
            look.waitsForUpdate = true;
            break;
        case UpdateKind::SendGraphic:
            look.waitsForUpdate = true;
            look.graphicOptions = true;
            look.listCaptionId = msg::kListGraphicFiles;
            break;
        case UpdateKind::ReadText:
            look.readsDirectory = true;
            look.listCaptionId = msg::kListTextFilesInBios;
            break;
        case UpdateKind::ReadGraphic:
            look.readsDirectory = true;
            look.listCaptionId = msg::kListGraphicFilesInBios;
            break;
        case UpdateKind::SendSchedule:
        case UpdateKind::ChangeAddress:
        case UpdateKind::ClearMemory:
        case UpdateKind::ClearGraphics:
        case UpdateKind::ClearSchedule:
        case UpdateKind::ClearText:
        case UpdateKind::SetDefault:
        case UpdateKind::ReadSchedule:
        case UpdateKind::AutoOnOff:
        case UpdateKind::ChangeBaud:
        case UpdateKind::SendCurrent:
            look.closesItself = true;
            break;
        default:
            break;
    }
    look.showsResult = isReadKind(kind) && !look.readsDirectory;
    return look;
}

std::vector<std::string> sendableFiles(const WorkArea& work, UpdateKind kind) {
    std::vector<std::string> names;
    if (kind == UpdateKind::SendGraphic) {
        for (const GraphicFile& g : work.graphics)
            names.push_back(g.name.str());
    } else {
        for (const TextFile& f : work.textFiles)
            if (f.kind == kTextFile) names.push_back(f.name.str());
    }
    return names;
}

int checkTcpGroup(const TcpIpGroup& group) {
    auto blank = [](const std::string& s) {
        return s.find_first_not_of(" \t") == std::string::npos;
    };
    if (blank(group.name)) return msg::kGroupNameBlank;
    if (blank(group.addresses)) return msg::kGroupIpBlank;
    return 0;
}

std::string tcpGroupListEntry(const TcpIpGroup& group) {
    return formatText("%s<=>%s", {group.name, group.addresses});
}

}  // namespace lumavox
