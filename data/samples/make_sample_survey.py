#!/usr/bin/env python3
"""Writes sample_survey.data: a synthetic 3D resistivity and IP survey.

Four parallel cables (L1..L4, 4 m apart) of 24 electrodes at 2 m lie on a
gently undulating terrain. The schedule holds in-line dipole-dipole and
Wenner quadrupoles on every cable and equatorial dipole-dipole quadrupoles
between neighbouring cables, each measured normal and reciprocal. Values are
apparent resistivities of a 100 ohm m half-space with 2 % noise, three IP
windows of a decaying chargeability, currents, and standard deviations.
Run again to regenerate the file; the seed keeps it identical.
"""
import math
import random

random.seed(20261207)

CABLES = ["L1", "L2", "L3", "L4"]
ELECTRODES = 24
SPACING = 2.0
CABLE_GAP = 4.0


def terrain(x, y):
    return 0.8 * math.sin(2 * math.pi * x / 40.0) + 0.05 * y + 0.3 * math.cos(2 * math.pi * y / 30.0)


def electrode_position(cable, number):
    x = (number - 1) * SPACING
    y = cable * CABLE_GAP
    return x, y, terrain(x, y)


def schedule():
    quads = []
    for c in range(len(CABLES)):
        for a in (1, 2):  # dipole length in electrode spacings
            for n in range(1, 7):
                for first in range(1, ELECTRODES + 1):
                    b, m = first + a, first + a + n * a
                    nn = m + a
                    if nn > ELECTRODES:
                        break
                    quads.append(((c, first), (c, b), (c, m), (c, nn)))
        for a in range(1, 8):  # Wenner: A M N B at spacing a
            for first in range(1, ELECTRODES + 1):
                if first + 3 * a > ELECTRODES:
                    break
                quads.append(((c, first), (c, first + 3 * a), (c, first + a), (c, first + 2 * a)))
    for c in range(len(CABLES) - 1):  # equatorial dipoles across cables
        for first in range(1, ELECTRODES, 2):
            quads.append(((c, first), (c, first + 1), (c + 1, first), (c + 1, first + 1)))
    reciprocal = [(m, n, a, b) for (a, b, m, n) in quads]
    return quads + reciprocal


def main():
    lines = []
    w = lines.append
    w("#Vexora+")
    w("#version_number= 1.0.0")
    w("#date= 2026-12-07")
    w("! Synthetic survey: 4 cables x 24 electrodes, 2 m spacing, 100 ohm m half-space.")
    w("! Made by make_sample_survey.py; apparent resistivities, 3 IP windows (mV/V).")
    w("!Electrodes input format")
    for tag, value in [("elec_no_cable", 1), ("elec_cable_col", 1), ("elec_id_col", 2), ("elec_x_col", 3),
                       ("elec_y_col", 4), ("elec_z_col", 5), ("elec_elev_col", -1), ("elec_type_col", -1)]:
        w(f"#{tag}= {value}")
    w("!Data input format")
    for tag, value in [("data_id_col", 1), ("data_a_cable_col", 2), ("data_a_elec_col", 3),
                       ("data_b_cable_col", 4), ("data_b_elec_col", 5), ("data_m_cable_col", 6),
                       ("data_m_elec_col", 7), ("data_n_cable_col", 8), ("data_n_elec_col", 9),
                       ("data_res_col", 10), ("data_ip_wind_col", "11 12 13"), ("data_i_curr_col", 14),
                       ("data_skip_col", 15), ("data_std_res_col", 16), ("data_std_ip_col", -1),
                       ("data_calc_res_col", -1), ("data_calc_ip_col", -1), ("data_calc_std_res_col", -1),
                       ("data_calc_std_ip_col", -1), ("data_appres", 2), ("data_ip_scale", 1000)]:
        w(f"#{tag}= {value}")
    w("!Topography input format")
    for tag, value in [("topo_x_col", 1), ("topo_y_col", 2), ("topo_z_col", 3)]:
        w(f"#{tag}= {value}")
    w("#dim_grid_x= 1.0")
    w("#dim_grid_y= 1.0")
    w("#dim_grid_z= 0.5")

    w("#elec_start")
    w("! Cable\tID\tX(m)\tY(m)\tZ(m)")
    for c, name in enumerate(CABLES):
        for e in range(1, ELECTRODES + 1):
            x, y, z = electrode_position(c, e)
            w(f"\t{name}\t{e:<5d}\t{x:<12.5f}\t{y:<12.5f}\t{z:<12.5f}")
    w("#elec_end")

    w("#data_start")
    w("! ID\tCable_A\tElec_A\tCable_B\tElec_B\tCable_M\tElec_M\tCable_N\tElec_N\tApp_Res(ohm m)\tIP1\tIP2\tIP3\tI(mA)\tSkip\tV/I_std_deviation")
    for k, quad in enumerate(schedule(), start=1):
        rho = 100.0 * (1.0 + random.gauss(0.0, 0.02))
        charge = 12.0 * (1.0 + random.gauss(0.0, 0.05))
        ip = [charge * math.exp(-0.45 * wdw) for wdw in range(3)]
        current = random.choice([50.0, 100.0, 200.0, 500.0]) * (1.0 + random.gauss(0.0, 0.01))
        skip = 1 if random.random() < 0.01 else 0
        std = abs(rho) * 0.02
        cells = [f"{k:<5d}"]
        for cable, number in quad:
            cells += [CABLES[cable], f"{number:<5d}"]
        cells += [f"{rho:<12.8f}"] + [f"{v:<12.8f}" for v in ip] + [f"{current:<10.3f}", str(skip), f"{std:<12.8f}"]
        w("\t" + "\t".join(cells))
    w("#data_end")

    w("#topo_start")
    w("! Topog_X(m)\tTopog_Y(m)\tTopog_Z(m)")
    for _ in range(160):
        x = random.uniform(-10.0, 56.0)
        y = random.uniform(-8.0, 20.0)
        w(f"\t{x:<12.5f}\t{y:<12.5f}\t{terrain(x, y):<12.5f}")
    w("#topo_end")

    with open("sample_survey.data", "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))


if __name__ == "__main__":
    main()
