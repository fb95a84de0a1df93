// taplink-floor: makes the pages live. Without it they refresh themselves
// (a <noscript> refresh); with it the live events update them in place.
"use strict";
(function () {
  const page = document.body.dataset.page;
  if (page === "login") return;
  // Every word shown comes from the page, in its language: the journal's
  // words (outcomes, directions) by the reader's, "since %1", no time.
  const said = document.body.dataset;
  const words = JSON.parse(said.words || "{}");
  const word = (w) => (Object.hasOwn(words, w) ? words[w] : w);

  function text(node, value) { if (node) node.textContent = value; }
  function localTime(iso) {
    if (!iso) return said.none;
    const d = new Date(iso);
    const p = (n) => String(n).padStart(2, "0");
    return d.getFullYear() + "-" + p(d.getMonth() + 1) + "-" + p(d.getDate()) + " " +
      p(d.getHours()) + ":" + p(d.getMinutes()) + ":" + p(d.getSeconds());
  }
  function timeNode(iso) {
    const t = document.createElement("time");
    if (iso) t.dateTime = iso;
    t.textContent = localTime(iso);
    return t;
  }
  function machineSection(name) {
    for (const s of document.querySelectorAll("section.machine")) {
      if (s.dataset.machine === name) return s;
    }
    return null;
  }
  function updateMachine(m) {
    const s = machineSection(m.name);
    if (!s) {
      // A machine the page does not show yet: the floor has changed.
      if (page === "floor") location.reload();
      return;
    }
    const state = s.querySelector(".state");
    const changed = !state || state.textContent !== m.state;
    text(state, m.state);
    if (state) state.dataset.kind = m.kind;
    const since = s.querySelector(".since");
    if (since) {
      const [before, after] = said.since.split("%1");
      since.replaceChildren(before, timeNode(m.since), after || "");
    }
    const last = s.querySelector(".last");
    if (last && m.last) {
      const a = document.createElement("a");
      a.href = "/transfers/" + m.last.id;
      a.textContent = word(m.last.direction) + " " + m.last.document;
      const o = document.createElement("span");
      o.className = "outcome";
      o.dataset.outcome = m.last.outcome;
      o.textContent = word(m.last.outcome);
      last.replaceChildren(a, " ", o, " ", timeNode(m.last.ended_at));
    }
    return changed;
  }
  // Parts of this page fetched again: the server renders them, escaped. What
  // is asked for while a fetch runs is fetched once more after it, so the
  // page never stays behind the last event.
  let fetching = false;
  const wanted = new Set();
  function refresh(selectors) {
    selectors.forEach((s) => wanted.add(s));
    if (fetching) return;
    fetching = true;
    const now = [...wanted];
    wanted.clear();
    fetch(location.href, { credentials: "same-origin" })
      .then((r) => (r.ok ? r.text() : Promise.reject(r.status)))
      .then((html) => {
        const fresh = new DOMParser().parseFromString(html, "text/html");
        for (const sel of now) {
          const old = document.querySelectorAll(sel), then = fresh.querySelectorAll(sel);
          if (old.length !== then.length) continue;
          old.forEach((n, i) => n.replaceWith(document.importNode(then[i], true)));
        }
      })
      .catch(() => {})
      .finally(() => {
        fetching = false;
        if (wanted.size) refresh([]);
      });
  }
  const machineParts = ["#outbox", "#transfers", "#inbox", ".strip"];

  if (!window.EventSource) {
    setTimeout(() => location.reload(), 10000);
    return;
  }
  const events = new EventSource("/api/events");
  events.addEventListener("machine", (e) => {
    const m = JSON.parse(e.data);
    // A sent document leaves the outbox after its row ends: the state that
    // follows is the sign to look at the folders again. The states every new
    // connection is told first are mostly those the page already shows.
    if (updateMachine(m) && page === "machine" && m.name === document.body.dataset.machine)
      refresh(machineParts);
  });
  events.addEventListener("transfer", (e) => {
    const t = JSON.parse(e.data);
    if (page === "floor") refresh([".strip"]);
    else if (page === "machine" && t.machine === document.body.dataset.machine)
      refresh(machineParts);
    else if (page === "history") refresh(["#history"]);
  });
})();
