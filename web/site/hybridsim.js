// The simulator as a JavaScript object, the same in the page and in Node:
// the WebAssembly module's C functions (web/src/bindings.cpp) wrapped so
// that a case goes in as the page's address names it and its results come
// back as objects, texts and drawing operations.

// Opens the module made by `factory` (createHybridsim of hybridsim-wasm.js).
// Under Node, hand it the .wasm bytes as options.wasmBinary.
export async function load(factory, options = {}) {
  return new Simulator(await factory(options));
}

// Keys of the window that step and zoom the picture, as the module numbers them.
const KEYCODES = { ArrowLeft: 1, ArrowRight: 2, Home: 3, End: 4, s: 115, 0: 48, w: 119, W: 87 };

export class Simulator {
  constructor(module) {
    this.module = module;
    // String arguments are copied to the heap, not the stack (cwrap's
    // way), so that a text of any size reaches the module's own checks.
    const w = (name, ret, args) => {
      const f = module.cwrap(name, ret, args.map((a) => (a === 'string' ? 'number' : a)));
      if (!args.includes('string')) return f;
      return (...values) => {
        const held = values.map((v, k) => (args[k] === 'string' ? this.heapstring(v) : v));
        try {
          return f(...held);
        } finally {
          held.forEach((p, k) => args[k] === 'string' && module._free(p));
        }
      };
    };
    this.c = {
      fields: w('hs_fields', 'string', ['string', 'string']),
      check: w('hs_check', 'string', ['string']),
      run: w('hs_run', 'string', ['string', 'string']),
      compare: w('hs_compare', 'string', ['string', 'string']),
      key: w('hs_key', 'number', ['number']),
      setframe: w('hs_setframe', 'number', ['number']),
      zoom: w('hs_zoom', 'number', []),
      setzoom: w('hs_setzoom', null, ['number']),
      draw: w('hs_draw', null, []),
      drawcompare: w('hs_drawcompare', null, ['number']),
      study: w('hs_study', 'string', ['string', 'number']),
      ops: w('hs_ops', 'number', []),
      opcount: w('hs_opcount', 'number', []),
      csv: w('hs_csv', 'string', []),
      casefile: w('hs_casefile', 'string', []),
      report: w('hs_report', 'string', ['string']),
      metricstext: w('hs_metricstext', 'string', ['string']),
    };
  }

  // A copy of the text s in the module's heap, NUL-terminated (to be freed).
  heapstring(s) {
    const text = String(s ?? '');
    const size = this.module.lengthBytesUTF8(text) + 1;
    const at = this.module._malloc(size);
    if (!at) throw new Error(`no memory for a text of ${size} bytes`);
    this.module.stringToUTF8(text, at, size);
    return at;
  }

  // The settings table with the values of the case: {ok, robot, method,
  // contour, fields: [{name, unit, limit, limitja, value}]}.
  fields(query = '', casetext = '') { return JSON.parse(this.c.fields(query, casetext)); }
  // Whether a case's entries are taken: {ok} or the refusal of run().
  check(query = '') { return JSON.parse(this.c.check(query)); }
  // Runs a case: {ok: true, laststep, dt, figures, unreachable, diverged,
  // failed, notes, notesja, console} or, for a refused entry, {ok: false, field, reason, reasonja};
  // the console text and a data file's reason in the query's lang=.
  run(query = '', casetext = '') { return JSON.parse(this.c.run(query, casetext)); }
  // The four methods on the case: {ok, rows: [{method, figures, best,
  // unreachable, diverged, failed, notes, notesja}], csv}.
  compare(query = '', casetext = '') { return JSON.parse(this.c.compare(query, casetext)); }

  // A window key ('s', '0', 'w', 'W', 'ArrowLeft', 'ArrowRight', 'Home',
  // 'End'); returns the step then shown, or null for another key.
  key(name) {
    const code = KEYCODES[name];
    return code === undefined ? null : this.c.key(code);
  }
  setframe(step) { return this.c.setframe(step); }
  get zoom() { return this.c.zoom(); }
  set zoom(z) { this.c.setzoom(z); }

  // The drawing operations of the shown step's picture (a copy).
  draw() {
    this.c.draw();
    return this.ops();
  }
  // The drawing operations of the last comparison's picture, laid out
  // `width` pixels wide (as study()).
  drawcompare(width = 800) {
    this.c.drawcompare(width);
    return this.ops();
  }
  // The study view of the pinned runs (case queries, the oldest first) with
  // the last run: {ok, pinned: [{label, figures, failed}], label}, and for
  // a `width` above 0 the drawing operations of its picture laid out that
  // many pixels wide (400 for a phone, 800 in full) as ops.
  study(pins = [], width = 800) {
    const answer = JSON.parse(this.c.study(pins.join('\n'), width));
    return width > 0 ? { ...answer, ops: this.ops() } : answer;
  }
  ops() {
    const at = this.c.ops() / 8;
    return this.module.HEAPF64.slice(at, at + this.c.opcount());
  }

  csv() { return this.c.csv(); }
  casefile() { return this.c.casefile(); }
  // The settings report and the figures of merit of the last run as the
  // console prints them, in lang ('en' or 'ja'; '' the texts' own, Japanese).
  report(lang = '') { return this.c.report(lang); }
  metricstext(lang = '') { return this.c.metricstext(lang); }
}
