// The page's words in English and Japanese, and what each setting of the
// settings table means.

export const TEXTS = {
  en: {
    title: 'Motion–force hybrid control of a two-joint arm', switch: '日本語',
    robot: 'Robot', robota: 'a: cylindrical-coordinate robot', robotb: 'b: SCARA robot',
    method: 'Control method', contour: 'Contour', line: 'L: line', circle: 'C: circle', sine: 'S: sine',
    file: 'Robot data file (drop it here or choose)', run: 'Run', compare: 'Compare the four methods',
    play: 'Play', pause: 'Pause',
    keys: 'Keys: Space play/pause, ← → one step, Home/End first/last, s next, 0 start, w/W zoom out/in',
    png: 'Picture (PNG)', csv: 'History (CSV)', dat: 'Case (robot data file)',
    figures: 'Figures of merit', settings: 'Settings', name: 'Name', value: 'Value', unit: 'Unit',
    limit: 'Must be', meaning: 'Meaning', comparison: 'The four methods on this case',
    report: 'Settings report', loading: 'Loading the simulator…', ran: 'Run done', refused: 'Not run:',
    unreachable: 'A commanded point is out of the robot\'s reach: the run means nothing.',
    diverged: 'The integration diverged and the run was cut short.', best: '* the best of each column',
    fromfile: 'case from the file', method_: 'method', copylink: 'Copy link', zoomout: 'zoom −', zoomin: 'zoom +',
    reset: 'reset', others: 'Settings of the other robot, methods and contours', running: 'Running…',
    failed: 'The simulator failed and was restarted:', copied: 'Link copied.', copyby: 'Copy this link:',
    toolarge: 'larger than 1 MB (not a robot data file)', caselink: 'The case as a link:', explain: 'What it means',
    explainhead: 'What the methods, figures and graphs mean', kind: 'Name', what: 'What it is',
    good: 'What good looks like', addrow: 'Add to table', casehead: 'case', results: 'Results table',
    resultscsv: 'Download the table (CSV)', added: 'Added to the table.', graphs: 'What the graphs show',
    fn1: 'the chosen method\'s loop 1 target natural frequency (its omega1 = 2π fn1)',
    fn2: 'the chosen method\'s loop 2 target natural frequency (its omega2 = 2π fn2)',
    noeffect6: 'No effect under method 6: it does not use the setting error.',
    pin: 'Pin', unpin: 'Unpin all', studyview: 'Study view', windowpicture: 'Window picture',
    pinned: 'Pinned (up to 4, the oldest dropped):',
  },
  ja: {
    title: '2関節アームの位置・力ハイブリッド制御', switch: 'English',
    robot: 'ロボット', robota: 'a: 円筒座標ロボット', robotb: 'b: SCARAロボット',
    method: '制御方法', contour: '輪郭曲線', line: 'L: 直線', circle: 'C: 円', sine: 'S: 正弦波',
    file: 'ロボット諸元・軌道データファイル (ここへドロップまたは選択)', run: '実行',
    compare: '4つの制御方法を比べる', play: '再生', pause: '一時停止',
    keys: 'キー: Space 再生/停止，← → 1ステップ，Home/End 最初/最後，s 次へ，0 初期へ，w/W 縮小/拡大',
    png: '画像 (PNG)', csv: '時刻歴 (CSV)', dat: 'ケース (データファイル)',
    figures: '評価指標', settings: '設定', name: '名前', value: '値', unit: '単位',
    limit: '条件', meaning: '意味', comparison: 'このケースでの4つの制御方法',
    report: '現在設定している値', loading: 'シミュレータを読み込み中…', ran: '実行しました',
    refused: '実行しません:', unreachable: '指令点がロボットの届く範囲外です．',
    diverged: '積分が発散したため途中で打ち切りました．', best: '* 各列で最良', fromfile: 'ファイルのケース',
    method_: '制御方法', copylink: 'リンクをコピー', zoomout: '縮小', zoomin: '拡大', reset: '初期へ',
    others: 'ほかのロボット・制御方法・輪郭曲線の設定', running: '実行中…',
    failed: 'シミュレータが異常終了したため再起動しました:', copied: 'リンクをコピーしました．', copyby: 'このリンクをコピーしてください:',
    toolarge: '1 MB を超えています（ロボットデータファイルではありません）', caselink: 'このケースのリンク:', explain: '説明',
    explainhead: '制御方法・評価指標・グラフの説明', kind: '名前', what: '内容', good: '良い結果の目安',
    addrow: '表に追加', casehead: 'ケース', results: '結果の表', resultscsv: '表をダウンロード (CSV)',
    added: '表に追加しました．', graphs: 'グラフの見方',
    fn1: '選んだ制御方法のループ1の目標固有振動数 (omega1 = 2π fn1)',
    fn2: '選んだ制御方法のループ2の目標固有振動数 (omega2 = 2π fn2)',
    noeffect6: '制御方法6ではこの設定誤差は使われません (効果なし)．',
    pin: '固定', unpin: '固定をすべて外す', studyview: 'スタディ表示', windowpicture: '描画画面',
    pinned: '固定した実行 (4件まで，古いものから外れる):',
  },
};

// Units of the figures of merit.
export const FIGUREUNITS = { frms: 'N', fmax: 'N', erms: 'm', emax: 'm', pend: 'm', pmax: 'm', t1peak: '–', t2peak: '–', tsat: '%' };

// What each method, figure of merit and graph is, and what a good result
// looks like: [key, {en: [name, what, good], ja: [...]}].
export const EXPLAIN = [
  ['method1', {
    en: ['Method 1', 'Joint space, two position loops and two force loops: the joint angles (φ1, φ2) control the position (x, y) and the force (Ft, Fn).', 'The method with the smallest frms and erms on the case; Compare marks the best of each column with *.'],
    ja: ['制御方法 1', '関節空間で2位置制御と2力制御：(φ1, φ2) で位置 (x, y) と力 (Ft, Fn) を制御します．', 'そのケースで frms と erms が最も小さい方法．「4つの制御方法を比べる」が各列の最良に * を付けます．'] }],
  ['method3', {
    en: ['Method 3', 'Task space, one position loop and one force loop: the tangential position s along the path and the normal force Fn.', 'As for method 1.'],
    ja: ['制御方法 3', '作業空間で1位置制御と1力制御：経路に沿った接線方向の位置 s と法線力 Fn を制御します．', '制御方法 1 と同じ．'] }],
  ['method4', {
    en: ['Method 4', 'Joint space, one position and one force loop: φ1 controls x, φ2 controls Fn; which joint does which depends on the angle between the press direction and the hand.', 'As for method 1.'],
    ja: ['制御方法 4', '関節空間で1位置制御と1力制御：φ1 で x，φ2 で Fn を制御します（押す向きと手先の角度で分担が変わります）．', '制御方法 1 と同じ．'] }],
  ['method6', {
    en: ['Method 6', 'Joint space, force control: (φ1, φ2) control the tangential and normal force (Ft, Fn); the setting error of the workpiece has no effect under this method.', 'As for method 1.'],
    ja: ['制御方法 6', '関節空間で力制御：(φ1, φ2) で力 (Ft, Fn) を制御します．この方法ではワークの設定誤差は効きません．', '制御方法 1 と同じ．'] }],
  ['frms', {
    en: ['frms [N]', 'Root mean square of the contact force error after the first second (the settled steps).', 'Small against the commanded force Fn, e.g. under a tenth of it.'],
    ja: ['frms [N]', '最初の1秒を除いた（整定後の）接触力誤差の二乗平均平方根．', '指令力 Fn に比べて小さいこと（例えば 1/10 以下）．'] }],
  ['fmax', {
    en: ['fmax [N]', 'Largest contact force error after the first second.', 'Small against Fn and not far above frms (no spikes).'],
    ja: ['fmax [N]', '整定後の接触力誤差の最大値．', 'Fn に比べて小さく，frms から大きく離れないこと（突出がない）．'] }],
  ['erms', {
    en: ['erms [m]', 'Root mean square of the tip position error after the first second.', 'A few millimetres or less.'],
    ja: ['erms [m]', '整定後の手先位置誤差の二乗平均平方根．', '数 mm 以下．'] }],
  ['emax', {
    en: ['emax [m]', 'Largest tip position error after the first second.', 'Close to erms (no spikes).'],
    ja: ['emax [m]', '整定後の手先位置誤差の最大値．', 'erms に近いこと（突出がない）．'] }],
  ['pend', {
    en: ['pend [m]', 'Peripheral error at the last step: how far the tip is ahead (+) of or behind (−) the command along the path.', 'Near 0: the tip ends where the command ends.'],
    ja: ['pend [m]', '最終ステップの周方向誤差：経路に沿って手先が指令より進んでいる (+) か遅れている (−) か．', '0 に近いこと．'] }],
  ['pmax', {
    en: ['pmax [m]', 'Largest peripheral error over the whole run.', 'Small: the tip keeps pace with the command.'],
    ja: ['pmax [m]', '全ステップでの周方向誤差の最大値．', '小さいこと：手先が指令に遅れずについていく．'] }],
  ['t1peak', {
    en: ['t1peak, t2peak [–]', 'Largest torque of motor 1 (2) over the run as a share of its limit T1max (T2max).', 'Under 1; 1 means the motor reached its limit.'],
    ja: ['t1peak, t2peak [–]', 'モータ1 (2) のトルクの最大値とその限界 T1max (T2max) の比．', '1 未満．1 はモータが限界に達したことを示します．'] }],
  ['tsat', {
    en: ['tsat [%]', 'Share of the steps in which a motor is at its torque limit.', '0 %.'],
    ja: ['tsat [%]', 'モータがトルク限界に張り付いているステップの割合．', '0 %．'] }],
  ['graphs', {
    en: ['The graphs', 'Top: tip position X (red) and Y (black) with ten times the peripheral error (yellow). Middle: contact force Fn with five times the force error (yellow). Bottom: motor torques with their limits T1max, T2max. Left: the robot at the step shown; white point the command, green point ten times the position error, black point the position without deflection.', 'Smooth curves; the yellow lines near zero; the force flat at Fn soon after contact; the torques inside their limits; the green point at the tip.'],
    ja: ['グラフ', '上：手先位置 X (赤), Y (黒) と周方向誤差の10倍 (黄)．中：接触力 Fn と力誤差の5倍 (黄)．下：モータトルクとその限界 T1max, T2max．左：表示ステップのロボット．白点は指令位置，緑点は位置誤差の10倍，黒点は撓みなしの位置．', '曲線がなめらかで黄線が 0 付近；接触後すぐ力が Fn で平らになる；トルクが限界内；緑点が手先にある．'] }],
];
