#!/usr/bin/python3
"""Reads VTK XML files with VTK's own readers and prints what they hold.

usage: read_vtk.py GRID.vtu POINTS.vtp

Prints "cells N", "points M", one "x y z" line per point, then for each
array of the cells and of the points "cell_array NAME" or "point_array
NAME" followed by one line of its values; a test compares them with the
model the files were written from. Exit status 3 when VTK is not installed.
"""
import sys

try:
    import vtk
except ImportError:
    print("VTK's Python module is not installed (package python3-vtk9)", file=sys.stderr)
    sys.exit(3)


def read(reader_type, path):
    reader = reader_type()
    reader.SetFileName(path)
    reader.Update()
    data = reader.GetOutput()
    if data is None or reader.GetErrorCode() != 0:
        print(f"{path}: VTK could not read it", file=sys.stderr)
        sys.exit(1)
    return data


def print_points(data):
    print(f"points {data.GetNumberOfPoints()}")
    for i in range(data.GetNumberOfPoints()):
        print("%r %r %r" % data.GetPoint(i))


def print_arrays(kind, arrays):
    for a in range(arrays.GetNumberOfArrays()):
        array = arrays.GetArray(a)
        print(f"{kind} {array.GetName()}")
        print(" ".join(repr(array.GetValue(i)) for i in range(array.GetNumberOfTuples())))


grid = read(vtk.vtkXMLUnstructuredGridReader, sys.argv[1])
print(f"cells {grid.GetNumberOfCells()}")
hexahedra = sum(1 for c in range(grid.GetNumberOfCells()) if grid.GetCellType(c) == vtk.VTK_HEXAHEDRON)
print(f"hexahedra {hexahedra}")
print_points(grid)
print_arrays("cell_array", grid.GetCellData())

electrodes = read(vtk.vtkXMLPolyDataReader, sys.argv[2])
print_points(electrodes)
print_arrays("point_array", electrodes.GetPointData())
