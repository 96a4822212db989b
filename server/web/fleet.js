// The fleet page: every sign with what it waits for and what it shows, a form
// that sends to a sign, a group or every sign, and the jobs as they change.
// Every call goes through the service's own API with the token; the page
// keeps the token in this tab's session storage only.
"use strict";

const TOKEN_KEY = "lumavox-token";
const $ = (id) => document.getElementById(id);

const state = {
  token: "",
  signs: new Map(),      // name (lower case) -> sign as the API gives it
  jobs: new Map(),       // id -> job
  options: null,         // GET /api/v1/message-options
  sortKey: "name",
  sortUp: true,
  page: 0,
  stream: null,          // AbortController of the events stream
  lastEventId: "",
  previews: new Map(),   // "name#job" -> object URL of the GIF
  previewQueue: [],
  previewsLoading: 0,
  staleSigns: new Set(),
  jobsComplete: false,   // the page holds every job there is (the list was not cut)
};

// ---- Talking to the API --------------------------------------------------

class ApiError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;
  }
}

// The service's refusals name the JSON value at fault ("$.message.colour:
// ..."); the page says which field of its own that is.
const FIELD_NAMES = {
  "$.message.text": "Text",
  "$.message.colour": "Colour",
  "$.message.effect": "Effect",
  "$.message.speed": "Speed",
  "$.message": "Message",
  "$.glm": "Document file",
  "$.command": "Command",
  "$.sign": "Sign",
  "$.group": "Group",
  "$.all": "Every sign",
};

function inWords(status, text) {
  if (text) {
    const m = /^(\$[^:]*): (.*)$/.exec(text);
    if (m && FIELD_NAMES[m[1]]) return FIELD_NAMES[m[1]] + ": " + m[2];
    if (m && m[1] === "$") text = m[2];
    if (m && m[1].startsWith("$.glm")) return "Document file: " + m[2];
    return text.charAt(0).toUpperCase() + text.slice(1);
  }
  switch (status) {
    case 401: return "The service refused the token.";
    case 404: return "The service does not know that.";
    case 409: return "That is no longer possible.";
    case 413: return "That is too large for the service.";
    default: return "The service could not do that (it answered " + status + ").";
  }
}

async function api(method, path, body, signal) {
  const headers = { Authorization: "Bearer " + state.token };
  const init = { method, headers, cache: "no-store", signal };
  if (body !== undefined) {
    headers["Content-Type"] = "application/json";
    init.body = JSON.stringify(body);
  }
  let res;
  try {
    res = await fetch(path, init);
  } catch (e) {
    if (e.name === "AbortError") throw e;
    throw new ApiError(0, "The service cannot be reached. Is lumavox-server running?");
  }
  if (!res.ok) {
    let text = "";
    try { text = (await res.json()).error || ""; } catch (e) { /* not JSON */ }
    if (res.status === 401 && state.token) logOut("The service no longer accepts the token. Log in again.");
    throw new ApiError(res.status, inWords(res.status, text));
  }
  return res;
}

const getJson = async (path) => (await api("GET", path)).json();

// ---- Logging in ----------------------------------------------------------

function takeTokenFromAddress() {
  // "/#token=..." logs a wall-mounted screen in; the fragment never reaches
  // the server, and is removed from the address bar at once.
  const m = /^#token=(.+)$/.exec(location.hash);
  if (!m) return "";
  history.replaceState(null, "", location.pathname + location.search);
  try { return decodeURIComponent(m[1]); } catch (e) { return m[1]; }
}

async function logIn(token, fromForm) {
  $("login-error").textContent = "";
  $("login-form").querySelector("button").disabled = true;
  try {
    // The token is tried before it is kept.
    const res = await fetch("/api/v1/message-options", {
      headers: { Authorization: "Bearer " + token }, cache: "no-store" });
    if (res.status === 401) throw new ApiError(401, "The service refused this token.");
    if (!res.ok) throw new ApiError(res.status, inWords(res.status, ""));
    state.options = await res.json();
  } catch (e) {
    showLogin(e instanceof ApiError ? e.message
                                    : "The service cannot be reached. Is lumavox-server running?");
    if (fromForm) $("token").focus();
    return;
  } finally {
    $("login-form").querySelector("button").disabled = false;
  }
  state.token = token;
  sessionStorage.setItem(TOKEN_KEY, token);
  $("login").hidden = true;
  $("app").hidden = false;
  $("logout").hidden = false;
  $("token").value = "";
  fillMessageChoices();
  if (fromForm) $("main").focus();
  openEvents();
}

function showLogin(message) {
  $("app").hidden = true;
  $("logout").hidden = true;
  $("live").hidden = true;
  $("login").hidden = false;
  $("login-error").textContent = message || "";
}

function logOut(message) {
  sessionStorage.removeItem(TOKEN_KEY);
  state.token = "";
  if (state.stream) state.stream.abort();
  state.stream = null;
  state.signs.clear();
  state.jobs.clear();
  for (const url of state.previews.values()) URL.revokeObjectURL(url);
  state.previews.clear();
  showLogin(message);
  $("token").focus();
}

// ---- Loading and the events stream ---------------------------------------

async function loadAll() {
  const [signs, jobs] = await Promise.all([getJson("/api/v1/signs"), getJson("/api/v1/jobs?limit=200")]);
  state.signs.clear();
  for (const s of signs.signs) state.signs.set(s.name.toLowerCase(), s);
  for (const j of jobs.jobs) putJob(j, false);
  state.jobsComplete = jobs.jobs.length < 200;
  renderSoon();
}

function setLive(on, text) {
  const live = $("live");
  live.hidden = false;
  live.className = "live " + (on ? "on" : "off");
  live.textContent = text;
}

// EventSource cannot send the Authorization header, and the token must not
// travel in the address (it would end up in logs and the browser's history),
// so the stream is read with fetch(), which sends the header like every other
// call, and its server-sent events are parsed here. A broken stream is opened
// again with Last-Event-ID, and the lists are read again so nothing is missed.
async function openEvents() {
  let delay = 1000;
  let first = true;
  while (state.token) {
    const controller = new AbortController();
    state.stream = controller;
    const headers = { Authorization: "Bearer " + state.token };
    if (state.lastEventId) headers["Last-Event-ID"] = state.lastEventId;
    try {
      const res = await fetch("/api/v1/events", { headers, cache: "no-store", signal: controller.signal });
      if (res.status === 401) { logOut("The service no longer accepts the token. Log in again."); return; }
      if (!res.ok || !res.body) throw new Error("status " + res.status);
      // Events that arrive while the lists load are applied after them.
      const held = [];
      let loading = true;
      const apply = (type, data) => (loading ? held.push([type, data]) : onEvent(type, data));
      const reading = readEvents(res.body, apply);
      try {
        await loadAll();
        $("signs-error").textContent = "";
      } catch (e) {
        $("signs-error").textContent = e.message;
      }
      loading = false;
      for (const [type, data] of held) onEvent(type, data);
      setLive(true, "Live");
      delay = 1000;
      first = false;
      await reading;
    } catch (e) {
      if (e.name === "AbortError" || !state.token) return;
    }
    if (!state.token || controller.signal.aborted) return;
    setLive(false, first ? "Cannot reach the service; trying again" : "Connection lost; reconnecting");
    await new Promise((r) => setTimeout(r, delay));
    delay = Math.min(delay * 2, 15000);
  }
}

async function readEvents(body, apply) {
  const reader = body.getReader();
  const decoder = new TextDecoder();
  let buffer = "";
  for (;;) {
    const { value, done } = await reader.read();
    if (done) return;
    buffer += decoder.decode(value, { stream: true });
    let end;
    while ((end = buffer.indexOf("\n\n")) >= 0) {
      const block = buffer.slice(0, end);
      buffer = buffer.slice(end + 2);
      let type = "message", data = "", id = "";
      for (const line of block.split("\n")) {
        if (line.startsWith(":")) continue;  // a keep-alive comment
        const colon = line.indexOf(":");
        const field = colon < 0 ? line : line.slice(0, colon);
        const text = colon < 0 ? "" : line.slice(colon + 1).replace(/^ /, "");
        if (field === "event") type = text;
        else if (field === "data") data += (data ? "\n" : "") + text;
        else if (field === "id") id = text;
      }
      if (id) state.lastEventId = id;
      if (data) {
        try { apply(type, JSON.parse(data)); } catch (e) { /* a line the page does not know */ }
      }
    }
  }
}

function onEvent(type, data) {
  if (type === "job") putJob(data, true);
  else if (type === "sign") onSignEvent(data);
  renderSoon();
}

function onSignEvent(e) {
  const key = e.name.toLowerCase();
  if (e.change === "removed") {
    state.signs.delete(key);
    return;
  }
  const sign = state.signs.get(key);
  if (sign && (e.change === "connected" || e.change === "disconnected")) {
    sign.connected = e.connected;
    if (e.connected) sign.connectedSince = e.connectedSince;
    else delete sign.connectedSince;
    return;
  }
  // Added, or changed in a way the event does not spell out: asked for anew.
  refreshSign(e.name);
}

const FINAL = new Set(["delivered", "failed", "expired", "cancelled"]);

function brief(job) {
  return { id: job.id, kind: job.kind, summary: job.summary, state: job.state,
           attempts: job.attempts, updatedAt: job.updatedAt };
}

// A job seen (from the list or an event): kept for the jobs list, and its
// sign's row follows it.
function putJob(job, fromEvent) {
  const old = state.jobs.get(job.id);
  if (old && old.updatedAt > job.updatedAt) return;
  state.jobs.set(job.id, job);
  if (!fromEvent) return;
  const sign = state.signs.get(job.sign.toLowerCase());
  if (!sign) return;
  if (!sign.lastJob || job.id >= sign.lastJob.id) sign.lastJob = brief(job);
  if (!FINAL.has(job.state)) {
    if (!sign.waitingJob || job.id <= sign.waitingJob.id) sign.waitingJob = brief(job);
  } else if (sign.waitingJob && sign.waitingJob.id === job.id) {
    // The next job it waits for, from the jobs the page holds; when it does
    // not hold them all, the service is asked.
    delete sign.waitingJob;
    for (const j of state.jobs.values())
      if (j.sign.toLowerCase() === job.sign.toLowerCase() && !FINAL.has(j.state) &&
          (!sign.waitingJob || j.id < sign.waitingJob.id))
        sign.waitingJob = brief(j);
    if (!state.jobsComplete) {
      state.staleSigns.add(sign.name);
      refreshStaleSoon();
    }
  }
  if (job.state === "delivered") {
    sign.lastSeen = job.updatedAt;
    if ((job.kind === "message" || job.kind === "document") && job.id > (sign.shownJob || 0))
      sign.shownJob = job.id;
  }
}

let staleTimer = 0;
function refreshStaleSoon() {
  if (staleTimer) return;
  staleTimer = setTimeout(async () => {
    staleTimer = 0;
    const names = [...state.staleSigns];
    state.staleSigns.clear();
    if (names.length > 40) {
      try { await loadAll(); } catch (e) { $("signs-error").textContent = e.message; }
      return;
    }
    for (const n of names) await refreshSign(n);
  }, 1000);
}

async function refreshSign(name) {
  try {
    const s = await getJson("/api/v1/signs/" + encodeURIComponent(name));
    state.signs.set(s.name.toLowerCase(), s);
    renderSoon();
  } catch (e) {
    if (e.status === 404) state.signs.delete(name.toLowerCase());
  }
}

// ---- The fleet table -----------------------------------------------------

let renderPending = false;
function renderSoon() {
  if (renderPending) return;
  renderPending = true;
  requestAnimationFrame(() => {
    renderPending = false;
    renderSigns();
    renderJobs();
    fillTargets();
  });
}

function timeText(ms) {
  if (!ms) return "";
  const d = new Date(ms);
  const ago = (Date.now() - ms) / 1000;
  if (ago < 60) return "just now";
  if (ago < 3600) return Math.round(ago / 60) + " min ago";
  if (ago < 86400 && d.getDate() === new Date().getDate())
    return "at " + d.toLocaleTimeString([], { hour: "2-digit", minute: "2-digit" });
  return d.toLocaleString([], { dateStyle: "medium", timeStyle: "short" });
}

function isGprs(sign) { return sign.link.startsWith("gprs:"); }

function onlineText(sign) {
  if (isGprs(sign)) {
    if (sign.connected) return "On line since " + timeText(sign.connectedSince).replace(/^at /, "");
    return sign.lastSeen ? "Off line; last reached " + timeText(sign.lastSeen) : "Off line";
  }
  return sign.lastSeen ? "Reached " + timeText(sign.lastSeen) : "Not reached yet";
}

const SORTS = {
  name: (s) => s.name.toLowerCase(),
  link: (s) => s.link.toLowerCase(),
  groups: (s) => (s.groups || []).join(",").toLowerCase(),
  online: (s) => (s.connected ? 2e13 + (s.connectedSince || 0) : s.lastSeen || 0),
  waiting: (s) => (s.waitingJob ? s.waitingJob.id : 0),
  last: (s) => (s.lastJob ? s.lastJob.state + ":" + String(1e15 - s.lastJob.id) : "~"),
};

function visibleSigns() {
  const text = $("filter-text").value.trim().toLowerCase();
  const group = $("filter-group").value.toLowerCase();
  const list = [];
  for (const s of state.signs.values()) {
    const groups = (s.groups || []).map((g) => g.toLowerCase());
    if (group && !groups.includes(group)) continue;
    if (text && !s.name.toLowerCase().includes(text) && !s.link.toLowerCase().includes(text) &&
        !groups.some((g) => g.includes(text)))
      continue;
    list.push(s);
  }
  const key = SORTS[state.sortKey];
  const dir = state.sortUp ? 1 : -1;
  list.sort((a, b) => {
    const x = key(a), y = key(b);
    if (x < y) return -dir;
    if (x > y) return dir;
    return a.name.localeCompare(b.name);
  });
  return list;
}

function el(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function stateBadge(job) {
  return el("span", "state " + job.state, job.state);
}

function jobCell(job, none) {
  const td = el("td");
  if (!job) {
    td.append(el("span", "muted", none));
    return td;
  }
  td.append(stateBadge(job), " ");
  const what = el("span", "summary", "#" + job.id + " " + job.summary);
  what.title = job.summary;
  td.append(what);
  return td;
}

function renderSigns() {
  const all = visibleSigns();
  const size = Number($("page-size").value);
  const pages = Math.max(1, Math.ceil(all.length / size));
  state.page = Math.min(state.page, pages - 1);
  const rows = all.slice(state.page * size, (state.page + 1) * size);
  $("sign-count").textContent = all.length === state.signs.size
    ? state.signs.size + (state.signs.size === 1 ? " sign" : " signs")
    : all.length + " of " + state.signs.size + " signs";
  $("page-at").textContent = "Page " + (state.page + 1) + " of " + pages;
  $("page-prev").disabled = state.page === 0;
  $("page-next").disabled = state.page >= pages - 1;

  const body = $("sign-rows");
  const fragment = document.createDocumentFragment();
  for (const s of rows) {
    const tr = el("tr");
    tr.dataset.sign = s.name;
    const route = el("td", "route", s.link);
    route.dataset.label = "Route";
    tr.append(el("td", "name", s.name), route);
    const groups = el("td", "groups");
    groups.dataset.label = "Groups";
    for (const g of s.groups || []) groups.append(el("span", "tag", g));
    tr.append(groups);
    const online = el("td", isGprs(s) && !s.connected ? "online muted" : "online", onlineText(s));
    online.dataset.label = "On line";
    if (s.lastSeen) online.title = new Date(s.lastSeen).toLocaleString();
    tr.append(online);
    const waiting = jobCell(s.waitingJob, "nothing");
    waiting.className = "waiting";
    waiting.dataset.label = "Waiting for";
    const last = jobCell(s.lastJob, "none yet");
    last.className = "last";
    last.dataset.label = "Last job";
    tr.append(waiting, last);
    const show = el("td", "show");
    if (s.shownJob) {
      const img = el("img");
      img.alt = "What " + s.name + " shows";
      img.dataset.preview = s.name + "#" + s.shownJob;
      const url = state.previews.get(img.dataset.preview);
      if (url) img.src = url;
      else wantPreview(s.name, s.shownJob);
      show.append(img);
    } else {
      show.append(el("span", "muted", "nothing sent yet"));
    }
    tr.append(show);
    fragment.append(tr);
  }
  body.replaceChildren(fragment);

  for (const th of document.querySelectorAll("#sign-table th[data-sort]")) {
    if (th.dataset.sort === state.sortKey) th.setAttribute("aria-sort", state.sortUp ? "ascending" : "descending");
    else th.removeAttribute("aria-sort");
  }
}

// The pictures come through the API with the token (an <img> cannot send
// it), a few at a time, only for the rows on the page, kept while the sign
// shows the same job.
function wantPreview(name, job) {
  const key = name + "#" + job;
  if (state.previewQueue.some((p) => p.key === key)) return;
  state.previewQueue.push({ key, name });
  pumpPreviews();
}

function pumpPreviews() {
  while (state.previewsLoading < 3 && state.previewQueue.length) {
    const { key, name } = state.previewQueue.shift();
    if (state.previews.has(key)) continue;
    state.previewsLoading++;
    api("GET", "/api/v1/signs/" + encodeURIComponent(name) + "/preview.gif")
      .then((res) => res.blob())
      .then((blob) => {
        const url = URL.createObjectURL(blob);
        state.previews.set(key, url);
        // Only the pictures of rows that could be on a page are kept.
        if (state.previews.size > 400) {
          const [oldKey, oldUrl] = state.previews.entries().next().value;
          URL.revokeObjectURL(oldUrl);
          state.previews.delete(oldKey);
        }
        for (const img of document.querySelectorAll("img[data-preview]"))
          if (img.dataset.preview === key) img.src = url;
      })
      .catch(() => {})
      .finally(() => {
        state.previewsLoading--;
        pumpPreviews();
      });
  }
}

// ---- The jobs list -------------------------------------------------------

function renderJobs() {
  // A page left open for days keeps the newest jobs only.
  if (state.jobs.size > 3000) {
    const ids = [...state.jobs.keys()].sort((a, b) => b - a);
    for (const id of ids.slice(2000)) state.jobs.delete(id);
    state.jobsComplete = false;
  }
  const filter = $("jobs-filter").value.trim().toLowerCase();
  const list = [...state.jobs.values()]
    .filter((j) => !filter || j.sign.toLowerCase().includes(filter))
    .sort((a, b) => b.id - a.id)
    .slice(0, 200);
  const open = new Set([...document.querySelectorAll("#job-rows details[open]")].map((d) => d.dataset.job));
  const fragment = document.createDocumentFragment();
  for (const j of list) {
    const tr = el("tr");
    tr.dataset.job = j.id;
    tr.append(el("td", "", "#" + j.id), el("td", "name", j.sign));
    const what = el("td");
    what.append(el("span", "summary", j.summary));
    what.firstChild.title = j.summary;
    tr.append(what);
    const st = el("td", "job-state");
    st.append(stateBadge(j));
    if (j.detail && (j.state === "failed" || j.state === "expired" || (j.state === "queued" && j.attempts))) {
      const details = el("details");
      details.dataset.job = j.id;
      if (open.has(String(j.id))) details.open = true;
      details.append(el("summary", "", j.state === "queued" ? "last try" : "why"), el("pre", "", j.detail));
      st.append(details);
    }
    tr.append(st, el("td", "", String(j.attempts)), el("td", "", timeText(j.updatedAt)));
    const action = el("td");
    if (j.state === "queued") {
      const b = el("button", "quiet cancel", "Cancel");
      b.type = "button";
      b.setAttribute("aria-label", "Cancel job " + j.id + " for " + j.sign);
      b.addEventListener("click", () => cancelJob(j.id, b));
      action.append(b);
    }
    tr.append(action);
    fragment.append(tr);
  }
  $("job-rows").replaceChildren(fragment);
}

async function cancelJob(id, button) {
  button.disabled = true;
  $("jobs-error").textContent = "";
  try {
    const res = await api("DELETE", "/api/v1/jobs/" + id);
    await res.json();
  } catch (e) {
    $("jobs-error").textContent = "Job " + id + ": " + e.message;
    button.disabled = false;
  }
}

// ---- The send form -------------------------------------------------------

function sortedNames() {
  return [...state.signs.values()].map((s) => s.name).sort((a, b) => a.localeCompare(b));
}

function allGroups() {
  const groups = new Map();
  for (const s of state.signs.values())
    for (const g of s.groups || []) if (!groups.has(g.toLowerCase())) groups.set(g.toLowerCase(), g);
  return [...groups.values()].sort((a, b) => a.localeCompare(b));
}

function setOptions(select, values, keepFirst) {
  const current = select.value;
  const have = [...select.options].slice(keepFirst ? 1 : 0).map((o) => o.value);
  if (have.length === values.length && have.every((v, i) => v === values[i])) return;
  while (select.options.length > (keepFirst ? 1 : 0)) select.remove(select.options.length - 1);
  for (const v of values) select.add(new Option(v, v));
  if (values.includes(current) || (keepFirst && current === "")) select.value = current;
}

function fillTargets() {
  setOptions($("target-sign"), sortedNames(), false);
  const groups = allGroups();
  setOptions($("target-group"), groups, false);
  setOptions($("filter-group"), groups, true);
  updatePreviewFamily();
}

function target() {
  const kind = document.querySelector("input[name=target]:checked").value;
  if (kind === "sign") return { sign: $("target-sign").value };
  if (kind === "group") return { group: $("target-group").value };
  return { all: true };
}

// The sign whose size and family the preview takes: the sign, or the first
// of the group or the fleet by name.
function previewSign() {
  const t = target();
  const names = sortedNames();
  if (t.sign) return state.signs.get(t.sign.toLowerCase());
  for (const n of names) {
    const s = state.signs.get(n.toLowerCase());
    if (t.all || (s.groups || []).some((g) => g.toLowerCase() === t.group.toLowerCase())) return s;
  }
  return undefined;
}

let previewFamily = "";
function updatePreviewFamily() {
  const sign = previewSign();
  const family = sign ? sign.family : "KV2";
  if (family === previewFamily || !state.options) return;
  previewFamily = family;
  const names = state.options.families[family];
  const label = (n) => n.replace(/^\[|\]$/g, "");
  for (const [id, list] of [["msg-colour", names.colours], ["msg-effect", names.effects]]) {
    const select = $(id);
    const current = select.value;
    while (select.options.length > 1) select.remove(1);
    for (const n of list) select.add(new Option(label(n), n));
    select.value = list.includes(current) ? current : "";
  }
}

function fillMessageChoices() {
  const speed = $("msg-speed");
  while (speed.options.length > 1) speed.remove(1);
  const { minimum, maximum } = state.options.speeds;
  for (let v = minimum; v <= maximum; v++)
    speed.add(new Option(v + (v === minimum ? " (slowest)" : v === maximum ? " (fastest)" : ""), v));
  previewFamily = "";
  updatePreviewFamily();
}

function message() {
  const m = { text: $("msg-text").value };
  if ($("msg-colour").value) m.colour = $("msg-colour").value;
  if ($("msg-effect").value) m.effect = $("msg-effect").value;
  if ($("msg-speed").value) m.speed = Number($("msg-speed").value);
  return m;
}

let previewTimer = 0;
let previewAbort = null;
let previewUrl = "";
function previewSoon() {
  clearTimeout(previewTimer);
  previewTimer = setTimeout(renderPreview, 300);
}

async function renderPreview() {
  const caption = $("msg-preview-caption");
  const img = $("msg-preview");
  const m = message();
  if (!m.text) {
    img.hidden = true;
    caption.className = "";
    caption.textContent = "Type a text to see it played.";
    return;
  }
  const sign = previewSign();
  const body = sign ? { sign: sign.name, message: m } : { message: m };
  if (previewAbort) previewAbort.abort();
  previewAbort = new AbortController();
  try {
    const res = await api("POST", "/api/v1/preview", body, previewAbort.signal);
    const blob = await res.blob();
    if (previewUrl) URL.revokeObjectURL(previewUrl);
    previewUrl = URL.createObjectURL(blob);
    // Small signs are drawn larger, as far as the form's width allows.
    img.onload = () => {
      img.style.width = Math.min(img.naturalWidth * (img.naturalWidth < 200 ? 2 : 1),
                                 img.parentElement.clientWidth - 16) + "px";
    };
    img.src = previewUrl;
    img.alt = "The message as " + (sign ? sign.name : "a 160 by 16 sign") + " would play it";
    img.hidden = false;
    caption.className = "";
    caption.textContent = sign ? "As " + sign.name + " (" + sign.width + "\u00D7" + sign.height + ") plays it"
                               : "On a 160\u00D716 sign";
  } catch (e) {
    if (e.name === "AbortError") return;
    img.hidden = true;
    caption.className = "error";
    caption.textContent = e.message;
  }
}

function showKind() {
  const kind = document.querySelector("input[name=kind]:checked").value;
  $("kind-message").hidden = kind !== "message";
  $("kind-glm").hidden = kind !== "glm";
  $("kind-command").hidden = kind !== "command";
}

function showTarget() {
  const kind = document.querySelector("input[name=target]:checked").value;
  $("target-sign-row").hidden = kind !== "sign";
  $("target-group-row").hidden = kind !== "group";
  updatePreviewFamily();
  previewSoon();
}

function readBase64(file) {
  return new Promise((resolve, reject) => {
    const reader = new FileReader();
    reader.onload = () => resolve(String(reader.result).replace(/^data:[^,]*,/, ""));
    reader.onerror = () => reject(new ApiError(0, "The file " + file.name + " cannot be read."));
    reader.readAsDataURL(file);
  });
}

async function send(event) {
  event.preventDefault();
  const result = $("send-result");
  result.className = "result";
  const body = target();
  if ((body.sign === "" || body.group === "")) {
    result.className = "result error";
    result.textContent = body.sign === "" ? "Choose a sign." : "Choose a group.";
    return;
  }
  const kind = document.querySelector("input[name=kind]:checked").value;
  try {
    if (kind === "message") {
      body.message = message();
      if (!body.message.text) throw new ApiError(0, "Text: type the message first.");
    } else if (kind === "glm") {
      const file = $("glm-file").files[0];
      if (!file) throw new ApiError(0, "Document file: choose a .glm file first.");
      body.glm = await readBase64(file);
    } else {
      body.command = $("command").value;
    }
    $("send-button").disabled = true;
    const answer = await (await api("POST", "/api/v1/jobs", body)).json();
    const n = answer.ids.length;
    result.textContent = n === 1 ? "Queued as job " + answer.id + "."
                                 : "Queued as " + n + " jobs, " + answer.ids[0] + " to " + answer.ids[n - 1] + ".";
  } catch (e) {
    result.className = "result error";
    result.textContent = e.message;
  } finally {
    $("send-button").disabled = false;
  }
}

// ---- Start ---------------------------------------------------------------

function start() {
  $("login-form").addEventListener("submit", (e) => {
    e.preventDefault();
    const token = $("token").value.trim();
    if (!token) {
      $("login-error").textContent = "Type the API token first.";
      return;
    }
    logIn(token, true);
  });
  $("logout").addEventListener("click", () => logOut(""));
  for (const th of document.querySelectorAll("#sign-table th[data-sort]")) {
    th.querySelector("button").addEventListener("click", () => {
      if (state.sortKey === th.dataset.sort) state.sortUp = !state.sortUp;
      else { state.sortKey = th.dataset.sort; state.sortUp = true; }
      renderSigns();
    });
  }
  $("filter-text").addEventListener("input", () => { state.page = 0; renderSigns(); });
  $("filter-group").addEventListener("change", () => { state.page = 0; renderSigns(); });
  $("page-size").addEventListener("change", () => { state.page = 0; renderSigns(); });
  $("page-prev").addEventListener("click", () => { state.page--; renderSigns(); });
  $("page-next").addEventListener("click", () => { state.page++; renderSigns(); });
  $("jobs-filter").addEventListener("input", renderJobs);
  for (const r of document.querySelectorAll("input[name=target]")) r.addEventListener("change", showTarget);
  for (const r of document.querySelectorAll("input[name=kind]")) r.addEventListener("change", showKind);
  for (const id of ["target-sign", "target-group"])
    $(id).addEventListener("change", () => { updatePreviewFamily(); previewSoon(); });
  for (const id of ["msg-text", "msg-colour", "msg-effect", "msg-speed"])
    $(id).addEventListener(id === "msg-text" ? "input" : "change", previewSoon);
  $("send-form").addEventListener("submit", send);
  // The times ("3 min ago") move on.
  setInterval(() => { if (state.token) renderSoon(); }, 30000);

  // A token put into the address of an open page logs in too.
  window.addEventListener("hashchange", () => {
    const token = takeTokenFromAddress();
    if (token && token !== state.token) {
      if (state.token) logOut("");
      logIn(token, false);
    }
  });
  const token = takeTokenFromAddress() || sessionStorage.getItem(TOKEN_KEY) || "";
  if (token) logIn(token, false);
  else showLogin("");
}

start();
