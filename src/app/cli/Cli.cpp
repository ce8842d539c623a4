#include "app/cli/Cli.h"

#include <ostream>

#include "app/cli/Commands.h"

namespace vexora::cli {

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"config", "config IN.cnfg [-o OUT.cnfg]   read a configuration file and write it back", runConfig},
        {"check", "check IN.data [--no-z] [--synthetic]\n"
                  "                                  load a data file, print its table sizes",
         runCheck},
        {"save", "save IN.data OUT.data [--no-z] [--synthetic]\n"
                 "                                  load a data file and write it again",
         runSave},
        {"dump", "dump IN.data electrodes|quadrupoles|topography [--no-z] [--synthetic]\n"
                 "                                  print a loaded table as tab-separated text",
         runDump},
        {"mesh", "mesh IN.data [--config C.cnfg] [-o OUT.vwer]\n"
                 "                                  build the mesh and starting model, print its sizes",
         runMesh},
        {"mesh-import", "mesh-import IN.vwer             read a mesh-and-model or viewer model file, print its sizes",
         runMeshImport},
        {"xyz", "xyz IN.data MODEL.xyz -o OUT.vwer [--ip] [--spacing \"DX DY DZ\"] [--columns \"X Y Z RHO [IP]\"]\n"
                "                                  build the mesh, take its model from an XYZ file, write it",
         runXyz},
        {"viewer-model", "viewer-model IN.data -o OUT.bin [--config C.cnfg]\n"
                         "                                  build the mesh, write the viewer's binary model file",
         runViewerModel},
        {"job", "job inv|fwm|sens[:REQUEST] IN.data FOLDER [--no-start] [--app-folder DIR]\n"
                "                                  prepare FOLDER.VXRprj for the numerical core and start it",
         runJob},
        {"forward", "forward IN.data [--config C.cnfg] [--threads N] [-o OUT.data] [--dim 2|3|auto]\n"
                    "                                  run the forward model, write the data with calculated columns\n"
                    "                                  (2: 2.5D for a line of electrodes; auto: 2.5D when it is one)",
         runForward},
        {"invert", "invert IN.data... [--config C.cnfg] [--threads N] [--start RHO] [--name NAME]\n"
                   "                                  [--dim 2|3|auto] [--doi] [--no-start | --run]\n"
                   "                                  [--processes N [--hostfile FILE]] [--app-folder DIR]\n"
                   "                                  invert each data file in a new project folder beside it\n"
                   "                                  (--run: in this process, without the manager)\n"
                   "                                  --config: its tags over the data file's; --threads: default\n"
                   "                                  every core this process may use; --start: a fixed starting\n"
                   "                                  resistivity (ohm m) instead of the data's median; --dim 2:\n"
                   "                                  the section under a line of electrodes, auto (default): 2 when\n"
                   "                                  the electrodes lie on one line; --doi: two more inversions\n"
                   "                                  for the depth-of-investigation index (#doi_index 1);\n"
                   "                                  --processes: the core runs as N MPI ranks (mpirun), on the\n"
                   "                                  machines of the host file when one is given",
         runInvert},
        {"import", "import FORMAT IN [--sequence SEQ | --conversion TABLE | --renumber profile|grid\n"
                   "                                  [--start xmin|xmax|ymin|ymax] [--snake]] [--cable NAME] [--reverse-cable]\n"
                   "                                  -o OUT.data\n"
                   "                                  text formats: [--spacing M] [--line-electrodes N] [--electrodes FILE]\n"
                   "                                  import an instrument file as a data file; --list names the formats;\n"
                   "                                  --spacing places electrodes a file gives by number only,\n"
                   "                                  --line-electrodes N lays a 3D block file N to a line, --electrodes\n"
                   "                                  gives the true positions of a .stg survey (default: STEM_elec.csv)",
         runImport},
        {"merge", "merge A.data B.data... [--tolerance T] [--remove-duplicates] [--reverse-cable FILE...]\n"
                  "                                  -o OUT.data\n"
                  "                                  merge data files into one: cables named FILE_CABLE, IP windows\n"
                  "                                  and deviations kept when every file has them; --remove-\n"
                  "                                  duplicates fuses electrodes within T m (default 0.000001);\n"
                  "                                  --reverse-cable 2: the cables of the second file were laid\n"
                  "                                  the other way round (electrode n becomes N + 1 - n)",
         runMerge},
        {"reciprocal", "reciprocal IN.data [--ip] [-o RESULT]\n"
                       "                                  pair quadrupoles with their reciprocals, print the differences",
         runReciprocal},
        {"histogram", "histogram IN.data V/I|V|I|K|Rho|q|IP [--bins N] [--png OUT.png]\n"
                      "                                  print statistics and bars of one quantity, draw them",
         runHistogram},
        {"xcable", "xcable IN.data --tx CABLE --rx CABLE --array dd|pd|pp [--layer N] [--rho] --png OUT.png\n"
                   "                                  draw the map of the quadrupoles linking a transmitting cable to\n"
                   "                                  a receiving one, a row per TX electrode, a column per RX\n"
                   "                                  electrode (M), for one receiving-dipole size (default 1);\n"
                   "                                  --rho: apparent resistivity rather than V/I",
         runXcable},
        {"pseudosection", "pseudosection IN.data --png OUT.png [--cable NAME] [--quantity rho|calc|ip|misfit]\n"
                          "                                  draw each cable's data at their pseudo-depths",
         runPseudosection},
        {"results", "results FOLDER [--png PREFIX]\n"
                    "                                  the fit of an inversion job's modelled data and its misfit per\n"
                    "                                  iteration; --png draws PREFIX_crossplot.png, PREFIX_misfit.png\n"
                    "                                  and PREFIX_residuals.png",
         runResults},
        {"section", "section MODEL --x|--y|--z VALUE --png OUT.png [--quantity NAME] [--log]\n"
                    "                                  [--mask-doi T] [--mask-sensitivity S]\n"
                    "                                  draw a vertical or horizontal section of a model file\n"
                    "                                  (blank where the DOI index exceeds T or the sensitivity\n"
                    "                                  is below S)",
         runSection},
        {"sequence", "sequence --line CABLESxN | --grid NXxNY | --electrodes IN.data [--spacing M|DX,DY]\n"
                     "                                  --array dd,wenner,schlumberger,pd,gradient,equatorial,cross\n"
                     "                                  [--a A|AMIN-AMAX] [--n NMAX|NMIN-NMAX] [--line-gap G]\n"
                     "                                  [--channels C] [--min-k K] [--max-k K] [--reciprocals]\n"
                     "                                  [--resistivity RHO] -o OUT.data\n"
                     "                                  design a measuring sequence, write it as a data file (V/I of\n"
                     "                                  a RHO ohm m ground, default 100); print its quadrupoles,\n"
                     "                                  current injections (C readings each) and depth of investigation",
         runSequence},
        {"sequence-compare", "sequence-compare A.data B.data [-o PREFIX] [--target TOP BOTTOM] [--lambda L]\n"
                             "                                  [--error PERCENT]\n"
                             "                                  cumulative sensitivity of two sequences on one layout and\n"
                             "                                  mesh, per layer of blocks under the electrodes, with their\n"
                             "                                  sensitive depths, and the mean sensitivity and resolution\n"
                             "                                  (roughness factor L, default 10, data error 5 %) at the\n"
                             "                                  target depths (m); -o writes PREFIX_1.vwer and PREFIX_2.vwer\n"
                             "                                  (quantities Sensitivity and Resolution) for the viewer",
         runSequenceCompare},
        {"export-vtk", "export-vtk MODEL -o OUT.vtu [--mask-doi T] [--mask-sensitivity S]\n"
                       "                                  write a model file for ParaView (and the electrodes beside\n"
                       "                                  it), without the blocks the masks leave out",
         runExportVtk},
    };
    return table;
}

static void printUsage(std::ostream& stream)
{
    stream << "Usage: vexora COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const Command& c : commands()) stream << "  vexora " << c.usage << "\n";
    stream << "  vexora --help                   this text\n";
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        printUsage(err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(out);
        return kExitOk;
    }
    for (const Command& c : commands())
        if (args[0] == c.name) return c.run(Arguments(args.begin() + 1, args.end()), out, err);
    err << "vexora: unknown command '" << args[0] << "'\n\n";
    printUsage(err);
    return kExitUsage;
}

}  // namespace vexora::cli
