// Everything the user chooses or enters: robot, control method, contour,
// mechanical and drive data of both robots, hand springs, contact force,
// workpiece setting error, servo targets of every method, every contour.
#pragma once

#include <array>

namespace hs {

// The program's two angle constants. PI2 is a separately stored 2*pi that
// differs from 2.0*PI in the tenth decimal; each formula says which it uses.
constexpr double PI = 3.14159265358979;
constexpr double PI2 = 6.28318530317958;

// The hand as drawn [m]: arm tip to contact point, work block length and
// width. The window's first frame puts them into the settings (the work block
// is 0.15 m long until then, 0.14 m after), and every later derivation of
// the payload uses them.
constexpr double HANDWP = 0.2;
constexpr double WORKLEN = 0.14;
constexpr double WORKWID = 0.02;
// The rest of the hand as drawn [m]: the hand block at the wrist (its length
// along the hand) and the bracket that carries the springs (its width and
// length).
constexpr double HANDBLOCKLEN = 0.02;
constexpr double BRACKETWID = 0.1;
constexpr double BRACKETLEN = 0.1;
// How far the hand springs can travel as drawn [m]. Along the hand, pressed
// (positive deflection), the work block meets the bracket base once the
// centre spring (0.04 m between them) is flat; pulled out, its rear end
// leaves the bracket (0.1 - 0.04 = 0.06 m). Across the hand the block meets
// a bracket arm (0.04 m from its edge). A deflection beyond them has no
// meaning in the model.
constexpr double HANDTRAVEL1 = HANDWP - WORKLEN - HANDBLOCKLEN;
constexpr double HANDTRAVEL1OUT = BRACKETLEN - HANDTRAVEL1;
constexpr double HANDTRAVEL2 = (BRACKETWID - WORKWID) / 2;

// A pair of doubles: (X, Y) of a point or (joint 1, joint 2) of a joint quantity.
using Pair = std::array<double, 2>;

// Servo targets of one control method (both damping ratios are 1.0).
struct GainSpec {
  double omega1 = 0;  // natural angular frequency of the first loop [rad/s]
  double alpha1 = 0;  // further inverse time constant of the first loop [1/s]; 0 = PD
  double omega2 = 0;  // natural angular frequency of the second loop [rad/s]
  double alpha2 = 0;  // further inverse time constant of the second loop [1/s]
};

// Straight workpiece contour from (x0, y0) to (xf, yf).
struct LineSpec {
  double x0 = 0, y0 = 0;  // start point [m]
  double xf = 0, yf = 0;  // end point [m]
  double tf = 0;          // positioning time [s]
};

// Circle run once counter-clockwise from its right end.
struct CircleSpec {
  double Ox = 0, Oy = 0;  // centre [m]
  double rr = 0;          // radius [m]
  double tf = 0;          // time for one revolution [s]
};

// One wavelength of y = A sin(2 pi (x - x0) / L) + y0.
struct SineSpec {
  double x0 = 0, y0 = 0;  // start point P0 [m]
  double L = 0;           // wavelength [m]
  double A = 0;           // amplitude [m]
  double tf = 0;          // travel time [s]
  double xf = 0, yf = 0;  // end point, always (x0 + L, y0) [m]
};

// The three selections. The console, the data file and the clients name
// each by its key: robot 'a' / 'b', method '1' '3' '4' '6', contour 'L' 'C' 'S'.
enum class Robot { a, b };                                 // cylindrical-coordinate, SCARA
enum class Method { hybrid1, hybrid3, hybrid4, hybrid6 };  // hybrid control method
enum class Contour { line, circle, sine };                 // workpiece contour

// The key of each selection, and the selection of a key (false, *out as it
// was, for a key that names none).
char keyof(Robot r);
char keyof(Method m);
char keyof(Contour c);
bool robotof(char key, Robot* out);
bool methodof(char key, Method* out);
bool contourof(char key, Contour* out);

struct SimSettings {
  // Selections.
  Robot type = Robot::b;             // robot
  Method hybrid = Method::hybrid6;   // control method
  Contour curve = Contour::sine;     // workpiece contour

  // Robot a (cylindrical-coordinate robot: rotary joint 1, prismatic joint 2).
  double l = 0;                       // arm length [m]
  double PW1_a = 0, PW2_a = 0;        // motor powers [W]
  double u1_a = 0, u2_a = 0;          // reduction ratios [-] (u2_a in motor rad per metre)
  double eta1_a = 0, eta2_a = 0;      // forward efficiencies [-]

  // Robot b (SCARA robot).
  double l1 = 0;                      // first arm length [m]
  double l2 = 0;                      // second arm length up to the arm tip [m]
  double PW1_b = 0, PW2_b = 0;        // motor powers [W]
  double u1_b = 0, u2_b = 0;          // reduction ratios [-]
  double eta1_b = 0, eta2_b = 0;      // forward efficiencies [-]

  // Common to both robots.
  double mw = 0;         // mass of the carried work [kg]
  double wp = 0;         // arm tip to contact-tip distance [m] (fixed 0.2)
  double KH1 = 0;        // hand spring along the hand [N/m]
  double KH2 = 0;        // hand spring across the hand [N/m]
  double Fn = 0;         // commanded normal contact force [N]
  double seterror = 0;   // workpiece displacement in +X unknown to the controller [m]
  int nstep = 0;         // output steps of one run
  double dt = 0;         // output interval [s]

  // Fixed dimensions of the carried work (shared with the hand drawing).
  double workoff = 0;    // work centre beyond the arm tip [m]
  double worklen = 0;    // work block length [m] (0.15 at start-up, 0.14 once drawn)
  double workwid = 0;    // work block width [m]

  // Servo targets per method.
  GainSpec gainspec1, gainspec3, gainspec4, gainspec6;

  // Contour records, one per kind.
  LineSpec line;
  CircleSpec circle;
  SineSpec sine;
};

// Index of the per-robot-type instances: 0 for robot a, 1 for robot b.
inline int typeindex(Robot type) { return static_cast<int>(type); }

// The GainSpec of a method.
GainSpec& gainspecof(SimSettings& s, Method hybrid);
const GainSpec& gainspecof(const SimSettings& s, Method hybrid);

// The drive data of robot `type` as references into the settings: the one
// way robot a's or robot b's motors and reducers are picked, to read or to
// store them.
struct DriveData {
  double& PW1;   // motor powers [W]
  double& PW2;
  double& u1;    // reduction ratios [-]
  double& u2;
  double& eta1;  // forward efficiencies [-]
  double& eta2;
};
DriveData drivedata(SimSettings& s, Robot type);

// Per-type drive data of the current robot.
struct RobotParams {
  double u1, u2;      // reduction ratios
  double eta1, eta2;  // forward efficiencies
  double PW1, PW2;    // motor powers [W]
};
RobotParams robotparams(const SimSettings& s);  // for s.type

}  // namespace hs
