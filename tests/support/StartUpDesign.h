#pragma once

#include "DesignSetup.h"

namespace dravik::test {

// The program's start-up driver (an 18-inch woofer), its Qts made to agree
// with Qes and Qms.
inline DriverParameters StartUpDriver() {
    constexpr double Pi = 3.14159265358979323846;
    DriverParameters d;
    d.fs = 32.9;
    d.qes = 0.46;
    d.qms = 2.28;
    d.qts = 0.46 * 2.28 / (0.46 + 2.28);
    d.vasLitres = 226.0;
    d.re = 6.5;
    d.sd = Pi * 0.457 * 0.457 / 4.0;
    d.xmaxMm = 14.3;
    d.peMaxW = 600.0;
    return d;
}

// The start-up driver in a vented box of one 152 mm vent, at 100 W.
inline DesignSetup StartUpVented(double litres = 240.0, double fb = 22.0) {
    DesignSetup s;
    s.driver = StartUpDriver();
    s.enclosure.kind = BoxKind::Vented;
    s.enclosure.vbLitres = litres;
    s.enclosure.fbHz = fb;
    s.enclosure.ventCount = 1.0;
    s.enclosure.ventDiameterMm = 152.0;
    s.drive.powerW = 100.0;
    return s;
}

} // namespace dravik::test
