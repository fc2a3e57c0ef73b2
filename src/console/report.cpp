// Settings report: the robot's mechanical and drive data, the hand springs,
// the control method with its servo targets, designed gains and resulting tip
// servo stiffness, the contact force, the contour and the path ends, as they
// are in force now. Reads only.
#include "console/report.h"

namespace hs {

namespace {

// One servo loop: natural frequency [Hz], damping ratio, alpha [1/s].
std::string loop(const char* label, double omega, double zeta, double alpha) {
  return fmt("%s(%7.3f[Hz] %7.3f %7.3f[1/s])", tr(label), omega / PI2, zeta, alpha);
}

std::string gain(const char* label, const Pid& k) {
  return fmt("%s(%7.4f     %7.4f %7.4f)", tr(label), k.Kp, k.Kv, k.Ki);
}

// Tip servo stiffness of two joint loops in series: each motor's
// proportional gain seen at the tip through its reduction ratio and lever arm.
double tipstiffness(const SimSettings& s, double Kp1, double Kp2) {
  const RobotParams p = robotparams(s);
  const double u1 = p.u1, u2 = p.u2;
  double L1, L2;
  if (s.type == Robot::a) {
    L1 = L2 = s.l;
  } else {
    L1 = s.l1 + s.l2 + s.wp;
    L2 = s.l2 + s.wp;
  }
  double k1 = Kp1 * u1 * u1 / L1;
  double k2 = Kp2 * u2 * u2 / L2;
  if (k1 == 0 || k2 == 0 || k1 + k2 == 0) return 0;
  return k1 * k2 / (k1 + k2);
}

void robotsection(const SimSettings& s, Console& con) {
  if (s.type == Robot::a) {
    con.print("\n(1-1) ロボットタイプ        円筒座標ロボット");
    con.print(fmt("\n(1-2) アーム長     l = %6.3f[m]", s.l));
    con.print(fmt("\n(1-3) ワークの質量 mw= %6.3f[kg]", s.mw));
    con.print(fmt("\n      アーム先端・接触子先端位置間距離(不変) wp= %6.3f[m]", s.wp));
    con.print(fmt("\n(1-4) モータ1(回転関節)パワーPW=%6.3f[W]", s.PW1_a));
    con.print(fmt("\n      モータ2(直動関節)パワーPW=%6.3f[W]", s.PW2_a));
    con.print(fmt("\n(1-5) 減速機1(回転関節)減速比，順効率(u,η1)=(%6.3f %6.3f)", s.u1_a, s.eta1_a));
    con.print(fmt("\n      減速機2(直動関節)減速比，順効率(u,η1)=(%6.3f %6.3f)", s.u2_a, s.eta2_a));
    // Springs in kgf/mm here; the method section repeats them in N/m.
    con.print(fmt("\n(1-6) ハンドのばね定数　          (KH1, KH2)=(%6.3f %6.3f)[kgf/mm]",
                  s.KH1 / 9.8 / 1000, s.KH2 / 9.8 / 1000));
  } else {
    con.print("\n(1-1) ロボットタイプ   SCARAロボット");
    con.print(fmt("\n(1-2) 第1,2アーム長 (l1,l2)=(%6.3f,%6.3f)[m]", s.l1, s.l2 + s.wp));
    con.print(fmt("\n(1-3) ワークの質量      mw = %6.3f[kg]", s.mw));
    con.print(fmt("\n      アーム先端・接触子先端位置間距離    wp= %6.3f[m]", s.wp));
    con.print(fmt("\n(1-4) モータ1(第１関節)パワー PW=%6.2f[W]", s.PW1_b));
    con.print(fmt("\n      モータ2(第２関節)パワー PW=%6.2f[W]", s.PW2_b));
    con.print(fmt("\n(1-5) 減速機1(第１関節)減速比,順効率=(u,η1)=(%6.2f %6.3f)", s.u1_b, s.eta1_b));
    con.print(fmt("\n      減速機2(第２関節)減速比,順効率=(u,η1)=(%6.2f %6.3f)", s.u2_b, s.eta2_b));
    con.print(fmt("\n(1-6) ハンドのばね定数　          (KH1, KH2)=(%6.2f %6.2f)[N/m]", s.KH1, s.KH2));
  }
}

void methodline(const SimSettings& s, Console& con) {
  switch (s.hybrid) {
    case Method::hybrid1:
      con.print(s.type == Robot::a ? "\n(2-1) hybrid1:関節空間で位置Φc，力Φdを制御"
                              : "\n(2-1) hybrid1:関節空間で位置(x,y)，力(Fn,0)を制御");
      break;
    case Method::hybrid3:
      con.print(s.type == Robot::a ? "\n(2-1) hybrid3:作業空間で接線方向位置s，法線力Fnを制御"
                              : "\n(2-1) hybrid3:作業空間で接線方向位置s，力Fnを制御");
      break;
    case Method::hybrid4:
      con.print("\n(2-1) hybrid4:関節空間で位置・力Fnをφ1・Φ2に対応させて制御");
      break;
    case Method::hybrid6:
      con.print("\n(2-1) hybrid6:未知物体に対し関節空間で力(Fn,0)を制御");
      break;
  }
}

// Joint-space methods 1 and 4: two position-loop and two force-loop motor
// gains and the tip stiffness of the force loops. Method 4 controls phi1 in
// position with firstgain and phi2 in force with secondgain; its report
// shows those on the position and force lines of both motors, and the tip
// stiffness that its force gain gives by the same series rule.
void jointsection(const SimSettings& s, const ServoGains& g, Console& con) {
  const GainSet& k = g.of(s.type);
  const bool m4 = s.hybrid == Method::hybrid4;
  const Pid& pos1 = m4 ? k.firstgain : k.posgain1;
  const Pid& pos2 = m4 ? k.firstgain : k.posgain2;
  const Pid& force1 = m4 ? k.secondgain : k.forcegain1;
  const Pid& force2 = m4 ? k.secondgain : k.forcegain2;
  double KKD = tipstiffness(s, force1.Kp, force2.Kp);

  if (s.type == Robot::a) {
    if (m4) {
      con.print(loop("\n(2-2) φ1の位置制御系特性  (ωn,ζ,α) =", g.omega1, g.zeta1, g.alpha1));
      con.print(gain("\n      →ゲイン (Kp,Kv,Ki)=", pos1));
      con.print(loop("\n      φ2の法線力制御系特性(ωn,ζ,α) =", g.omega2, g.zeta2, g.alpha2));
      con.print(gain("\n      →ゲイン (Kp,Kv,Ki)=", force1));
    } else {
      con.print(loop("\n(2-2) 位置制御系特性 (ωn,ζ,α) =", g.omega1, g.zeta1, g.alpha1));
      con.print(gain("\n      →モータ１ゲイン (Kp,Kv,Ki)=", pos1));
      con.print(gain("\n      →モータ２ゲイン (Kp,Kv,Ki)=", pos2));
      con.print(loop("\n      力制御系特性   (ωn,ζ,α) =", g.omega2, g.zeta2, g.alpha2));
      con.print(gain("\n      →モータ１ゲイン (Kp,Kv,Ki)=", force1));
      con.print(gain("\n      →モータ２ゲイン (Kp,Kv,Ki)=", force2));
    }
    con.print(fmt("\n      →先端サーボ剛性       KKD = %6.2f[N/m]", KKD));
    con.print(fmt(m4 ? "\n(1-6) ハンドのばね定数 (KH1,  KH2) =(%6.2f %6.2f)[N/m]"
                     : "\n(1-6) ハンドのばね定数 (KH1, KH2)=(%6.2f %6.2f)[N/m]",
                  s.KH1, s.KH2));
  } else {
    con.print("\n(2-2) 制御系諸元");
    con.print(loop(m4 ? "\n    φ1の位置制御系の特性 (ωn,ζ,α)=" : "\n    位置制御系の特性 (ωn,ζ,α)=",
                   g.omega1, g.zeta1, g.alpha1));
    con.print(gain("\n     →モータ１ゲイン (Kp,Kv,Ki)=", pos1));
    con.print(gain("\n     →モータ２ゲイン (Kp,Kv,Ki)=", pos2));
    con.print(loop(m4 ? "\n    φ2の力制御系の特性   (ωn,ζ,α)=" : "\n    力制御系の特性   (ωn,ζ,α)=",
                   g.omega2, g.zeta2, g.alpha2));
    con.print(gain("\n   　→モータ１ゲイン (Kp,Kv,Ki)=", force1));
    con.print(gain("\n   　→モータ２ゲイン (Kp,Kv,Ki)=", force2));
    con.print(fmt("\n     →先端サーボ剛性       KKD = %6.2f[N/m]", KKD));
    con.print(fmt("\n(1-6) ハンドのばね定数(KH1, KH2)=(%6.2f %6.2f)[N/m]", s.KH1, s.KH2));
  }
}

// Task-space methods 3 and 6: a tangential position loop and a normal force
// (3) or normal deflection (6) loop; the normal stiffness is the deflection
// gain times the hand spring along the hand.
void tasksection(const SimSettings& s, const ServoGains& g, Console& con) {
  const GainSet& k = g.of(s.type);
  con.print(loop("\n(2-2) 接線位置制御系特性 (ωn,ζ,α) =", g.omega1, g.zeta1, g.alpha1));
  con.print(gain("\n      →ゲイン (Kp,Kv,Ki)=", k.firstgain));
  con.print(loop(s.hybrid == Method::hybrid3 ? "\n      法線力制御系特性   (ωn,ζ,α) ="
                                 : "\n      法線撓み制御系特性 (ωn,ζ,α) =",
                 g.omega2, g.zeta2, g.alpha2));
  con.print(gain("\n      →ゲイン (Kp,Kv,Ki)=", k.secondgain));
  con.print(fmt("\n      →先端サーボ剛性 (接線, 法線)=(%6.2f %6.2f)[N/m]", k.firstgain.Kp,
                k.secondgain.Kp * s.KH1));
  con.print(fmt("\n(1-6) ハンドのばね定数 (KH1,  KH2) =(%6.2f %6.2f)[N/m]", s.KH1, s.KH2));
}

void commonsection(const SimSettings& s, const ContourPath& p, Console& con) {
  con.print(fmt("\n(3-2) 接触力　       Fn=%6.3f[N]", s.Fn));
  switch (s.curve) {
    case Contour::line:
      con.print(fmt("\n(3-3-1) 直線輪郭    　 移動時間 tf=%6.3f[s]", s.line.tf));
      break;
    case Contour::circle:
      con.print(fmt("\n(3-3-2) 円輪郭　    　 移動時間 tf= %6.3f[s]", s.circle.tf));
      con.print(fmt("\n              　    　 中心位置   =(%6.3f %6.3f)[m] 半径=%6.3f[m]", s.circle.Ox,
                    s.circle.Oy, s.circle.rr));
      break;
    case Contour::sine:
      con.print(fmt("\n(3-3-4) 正弦波曲線輪郭  移動時間 tf= %6.3f[s]", s.sine.tf));
      con.print(fmt("\n                    波長・振幅(L,A)=(%6.3f,%6.3f)[m]", s.sine.L, s.sine.A));
      break;
  }
  con.print(fmt("\n(3-4) ロボット初期位置    (x0,y0) =(%6.3f %6.3f)[m]", p.x0, p.y0));
  con.print(fmt("\n(3-5) ロボット終端位置    (xf,yf) =(%6.3f %6.3f)[m]", p.xf, p.yf));
  con.print(fmt("\n(3-6) 物体設置誤差(X正方向ずれ) e = %6.3f[mm]", 1000 * s.seterror));
  con.print("\n");
}

}  // namespace

void printsettings(const SimSettings& s, const ServoGains& g, const ContourPath& p, Console& con) {
  con.print("\n\n現在設定している値");
  robotsection(s, con);
  methodline(s, con);
  // Methods 1 and 4 servo the joints, methods 3 and 6 the tip in task space.
  if (s.hybrid == Method::hybrid1 || s.hybrid == Method::hybrid4)
    jointsection(s, g, con);
  else
    tasksection(s, g, con);
  commonsection(s, p, con);
}

void printsettings(const Model& m, Console& con) { printsettings(m.set, m.gains, m.path, con); }

void printkeylist(Console& con) {
  for (const char* line : {
           "\n\nキーによる操作選択",
           "\n(3-1) 'r'     : データファイルdata41,42,....から全データ読み込み",
           "\n(1-1) 'a' 'b' : 円筒座標・SCARAロボットの選択",
           "\n(1-6) 'k'     : ハンドのばね定数変更",
           "\n(2-1) 'h'     : hybrid制御方法選択・変更",
           "\n(2-2) 'g'     : 制御ゲイン変更",
           "\n(3-2) 'L' 'C' 'S' : 物体輪郭を選択",
           "\n(3-2) 'e'     : 物体設置の位置誤差を変更",
           "\n(3-3) 'f'     : 接触力設定",
           "\n(5) 描画の選択",
           "\n(5-1) 's'    ：アニメーション継続",
           "\n(5-2) '0'    ：運動初期に戻す",
           "\n(5-3) 'w' 'W'：ロボット図の縮小拡大",
           "\n(6)   ESC    ：終了                                描画画面へ",
       })
    con.print(line);
}

}  // namespace hs
