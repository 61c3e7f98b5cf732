#include "DeviceRecords.h"

#include <pybind11/stl.h>

#include "DeviceText.h"

namespace py = pybind11;

namespace vantory_py {

using vantory_cli::dottedText;
using vantory_cli::macText;

py::dict deviceInfoDict(const Movoda::DevInfo& info) {
    py::dict d;
    d["serial"] = info.sn;
    d["firmware"] = info.fwVersion;
    d["boot"] = info.bootVersion;
    d["ip"] = dottedText(info.ip);
    d["netmask"] = dottedText(info.netmask);
    d["gateway"] = dottedText(info.gateway);
    d["mac"] = macText(info.mac);
    d["id"] = info.idText;
    d["calibrated"] = info.isCalibrated;
    d["stream_destination"] = py::make_tuple(dottedText(info.udpDestIp), info.udpDestPort);
    d["status"] = info.statusA;
    d["factory_flags"] = info.factoryFlags;
    return d;
}

py::dict deviceConfigDict(const Movoda::DevConfig& c) {
    py::dict d;
    d["image_type"] = Movoda::imageTypeName(c.imageType);
    d["modulation_frequency"] = Movoda::modulationFreqName(c.modFreq);
    d["hdr_mode"] = Movoda::hdrModeName(c.hdrMode);
    d["integration_times_us"] = c.intTime;
    d["grayscale_integration_us"] = c.intTimeGs;
    d["min_amplitude"] = c.minAmplitude;
    d["max_fps"] = c.maxFps;
    d["max_fps_limit"] = c.maxFpsLimit;
    d["binning"] = py::make_tuple(c.binningH, c.binningV);
    d["channel"] = c.channel;
    d["emitters"] = c.vcselMode;
    d["ptp_domain"] = c.ptpDomain;
    d["frequency_codes"] = c.freqCode;
    d["record_version"] = c.recordVersion;
    d["cut"] = py::dict(py::arg("on") = c.cutOn != 0,
                        py::arg("pairs") = py::make_tuple(py::make_tuple(c.cutInt0, c.cutDist0),
                                                          py::make_tuple(c.cutInt1, c.cutDist1)));
    return d;
}

py::dict lensDict(const Movoda::LensParams& l) {
    return py::dict(py::arg("fx") = l.fx, py::arg("fy") = l.fy, py::arg("cx") = l.cx,
                    py::arg("cy") = l.cy, py::arg("k1") = l.k1, py::arg("k2") = l.k2,
                    py::arg("k3") = l.k3, py::arg("p1") = l.p1, py::arg("p2") = l.p2);
}

}  // namespace vantory_py
