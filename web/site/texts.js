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
    toolarge: 'larger than 1 MB (not a robot data file)', caselink: 'The case as a link:',
    fn1: 'the chosen method\'s loop 1 target natural frequency (its omega1 = 2π fn1)',
    fn2: 'the chosen method\'s loop 2 target natural frequency (its omega2 = 2π fn2)',
    noeffect6: 'No effect under method 6: it does not use the setting error.',
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
    toolarge: '1 MB を超えています（ロボットデータファイルではありません）', caselink: 'このケースのリンク:',
    fn1: '選んだ制御方法のループ1の目標固有振動数 (omega1 = 2π fn1)',
    fn2: '選んだ制御方法のループ2の目標固有振動数 (omega2 = 2π fn2)',
    noeffect6: '制御方法6ではこの設定誤差は使われません (効果なし)．',
  },
};

// Units of the figures of merit.
export const FIGUREUNITS = { frms: 'N', fmax: 'N', erms: 'm', emax: 'm', pend: 'm', pmax: 'm', t1peak: '–', t2peak: '–', tsat: '%' };
