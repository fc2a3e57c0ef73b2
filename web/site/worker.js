// The simulator's own thread: the page posts {id, op, ...} and gets back
// {id, ...} with the answer, so a run never blocks the page. The module's
// session holds one run at a time; every picture handed back carries the
// id of the run it was drawn from (runid), so that the page draws nothing
// of a run it has not taken. A run superseded by a later one still queued
// is not run at all.
importScripts('hybridsim-wasm.js');
const ready = import('./hybridsim.js').then(({ load }) => load(self.createHybridsim));

let runid = 0;  // the id of the run the module's session holds
const queue = [];
let draining = false;

// The settings the case of `query` on top of `casetext` holds that differ
// from the defaults of its robot, method and contour, as the address
// writes them: {name: text}.
function differences(sim, answer, query, casetext) {
  const keys = `robot=${answer.robot}&method=${answer.method}&contour=${answer.contour}`;
  const base = sim.fields(keys, '');
  const own = sim.fields(query, casetext);
  const out = {};
  own.fields.forEach((f, k) => {
    if (!Object.is(f.value, base.fields[k].value)) out[f.name] = String(f.value);
  });
  return { keys, table: base, values: out };
}

// The pinned runs with the run just made, labelled, and with their study
// picture (studyops) when the page shows it.
function studyof(sim, want, reply) {
  const { ops, ...answer } = sim.study(want.pins, want.width);
  reply.study = answer;
  if (ops) Object.assign(reply, { studyops: ops, studywidth: want.width });
}

// The picture of the shown step, its operations handed over (not copied).
function picture(sim, reply) {
  const ops = sim.draw();
  postMessage({ ...reply, runid, ops }, [ops.buffer, ...(reply.studyops ? [reply.studyops.buffer] : [])]);
}

const OPS = {
  fields(sim, m) {
    postMessage({ id: m.id, answer: sim.fields(m.query, m.casetext) });
  },
  // Runs the case at step m.frame; a step beyond the run's last is refused.
  run(sim, m) {
    const answer = sim.run(m.query, m.casetext);
    if (!answer.ok) return postMessage({ id: m.id, answer });
    runid = m.id;
    if (m.frame > answer.laststep) {
      return postMessage({
        id: m.id, answer: {
          ok: false, field: 'frame',
          reason: `frame = ${m.frame} refused: the run's output steps are 0 to ${answer.laststep}`,
          reasonja: `frame は 0 から ${answer.laststep} の出力ステップにしてください．`,
        },
      });
    }
    const frame = sim.setframe(m.frame);
    const reply = { id: m.id, answer, frame, report: sim.report(m.lang), table: sim.fields(m.query, m.casetext) };
    if (m.study) studyof(sim, m.study, reply);
    if (m.casetext) reply.file = differences(sim, answer, m.query, m.casetext);
    picture(sim, reply);
  },
  frame(sim, m) { picture(sim, { id: m.id, frame: sim.setframe(m.frame) }); },
  key(sim, m) { picture(sim, { id: m.id, frame: sim.key(m.key) }); },
  // The study view of the run the session holds with m.study's pins.
  study(sim, m) {
    const reply = { id: m.id, runid };
    studyof(sim, m.study, reply);
    postMessage(reply, reply.studyops ? [reply.studyops.buffer] : []);
  },
  report(sim, m) { postMessage({ id: m.id, text: sim.report(m.lang) }); },
  compare(sim, m) {
    const answer = sim.compare(m.query, m.casetext);
    const ops = answer.ok ? sim.drawcompare(m.width) : new Float64Array(0);
    postMessage({ id: m.id, answer, ops }, [ops.buffer]);
  },
  csv(sim, m) { postMessage({ id: m.id, runid, text: sim.csv() }); },
  casefile(sim, m) { postMessage({ id: m.id, runid, text: sim.casefile() }); },
};

async function drain() {
  const sim = await ready;
  while (queue.length) {
    const m = queue.shift();
    try {
      if (m.op === 'run' && queue.some((q) => q.op === 'run')) postMessage({ id: m.id, superseded: true });
      else OPS[m.op](sim, m);
    } catch (e) {
      postMessage({ id: m.id, error: String(e && e.message || e) });
    }
  }
  draining = false;
}

onmessage = (e) => {
  queue.push(e.data);
  if (!draining) {
    draining = true;
    setTimeout(drain, 0);
  }
};
