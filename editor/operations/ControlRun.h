// One run of the NVS family's route from start to end, for a program without a
// dialog (lumavox-cli, the service): the link written as text applied to the
// control's configuration, the control created, the route started and its
// events dispatched until the run is over.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "operations/ControlRoute.h"
#include "operations/Resources.h"
#include "platform/SerialPort.h"

namespace lumavox {

// A number written in a link or a control command: 1 to 9 decimal digits, no
// sign. False, leaving `v` alone, for anything else.
bool controlNumber(const std::string& text, int& v);

// tcp:HOST[,HOST...]:PORT, serial:DEVICE[@BAUD] or com:N into `config`. A
// serial device is opened here, into `serial`, and handed to the control as an
// open line. False with the reason; `badText` says whether the text itself was
// wrong (else the device could not be opened). GPRS and modem links are
// refused: the control does not send over them.
bool applyControlLink(const std::string& link, ControlRouteConfig& config, SerialPort& serial,
                      std::string& error, bool& badText);

// Creates the control from the program's copy (written into controlDir when
// needed), runs `kind` to its end (or until
// `stop` says so, which stops the control's send) and releases the control.
// The number of failures: the route's own, one when the run could not start
// or was stopped, one when the control could not be created.
int runControlOperation(UpdateKind kind, const ControlRouteConfig& config, const WorkArea* document,
                        ControlRouteHost& host, const std::filesystem::path& controlDir,
                        const ResourceTable& resources, const std::function<bool()>& stop);

}  // namespace lumavox
