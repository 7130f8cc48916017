// The scenario's player in the page: the same rules as the desktop player's game window.
//
// The page opens at situation 1 and offers choice 1 alone. A choice goes to its target; the
// type of the situation reached sets the choices offered (Poczatek 1, Normalny 4, Koniec none
// and the game ends, Wybory1-3 one to three); any other type keeps the choices as they were.
// A target past the last situation or a negative one shows the error the player shows and
// changes nothing but the number. Sounds play once the page has had a click or a key.
//
// "#autoplay=SEED[,SEED...][&steps=N]" plays without a person, each seed as in a page just
// opened: at each step one of the choices offered is taken at random (mulberry32 seeded with
// SEED, the choice being the generator's next 32-bit value modulo the number of choices
// offered, counted in order 1 to 4), by a click on its button and by its key in turns, until
// the game ends, nothing is offered or N choices (200 unless given, at most MAX_STEPS: 10 000)
// were taken; seeds past the first MAX_SEEDS (20) are left out, so no link can keep the page
// busy for long. A fragment that does not decode (such as "#x=%ZZ") is ignored whole: the
// page plays from the start as with no fragment. What the page
// showed at each step goes into the element "trace" as JSON: one object per seed,
// { seed, steps, end }, each step { n: the situation number, d: the description, c: the four
// choice texts, o: which buttons are enabled, p: the picture shown (its name) or null, s: the
// sound started (its name) or null, m: the messages shown, errors as the error box shows
// them }. "#layout" writes the picture box's place and the page's width instead.
//
// "Wstecz" (Backspace) goes one step back, down to the start of the game: the page plays the
// path of situation numbers taken again without showing messages or playing sounds, then
// plays the sound of the situation it stopped at. The path is kept in localStorage after every
// step, under the scenario's fingerprint `key`, and a page opened again continues it; a kept
// path that is not a play of this scenario is dropped, and so is one of more than MAX_KEPT
// steps (every page of file: shares one storage, and a path planted there must not keep the
// page replaying for minutes): such a long game is not kept. The sound switch is one setting for
// every page of the kit. Where localStorage throws (some browsers for file: pages), the page
// just does not remember.
//
// "#do=ACTION,ACTION..." does what a person would, for tests: "1"-"4" press a choice's key,
// "c1"-"c4" click its button, "back" clicks Wstecz, "bs" presses Backspace, "restart" clicks
// "Zagraj od nowa", "yes"/"no"/"ok" click the box's buttons, "esc" presses Escape, "mute"
// clicks the sound switch. The trace then holds one object for the page as opened and one
// after each action: { a: the action, n, d, o as above, live: the live region's text, f: the
// focused element's id, back: whether Wstecz is enabled, muted, stored: what localStorage
// holds for this game (null for nothing), box: the text of the box shown or null }.
(function () {
  "use strict";

  var data = JSON.parse(document.getElementById("scenario").textContent);
  var situations = data.situations;
  var el = function (id) { return document.getElementById(id); };
  var buttons = Array.prototype.slice.call(document.querySelectorAll(".wybor"));
  var labels = [el("wybor1"), el("wybor2"), el("wybor3"), el("wybor4")];
  var picture = el("obrazek");
  var KONIEC = 2, WYBORY3 = 5;
  var VERSION = 1, MAX_KEPT = 100000;
  var GAME_KEY = "tekstowki:gra:" + data.key, SOUND_KEY = "tekstowki:dzwiek";
  var OFFERED = [[1, 0, 0, 0], [1, 1, 1, 1], [0, 0, 0, 0], [1, 0, 0, 0], [1, 1, 0, 0],
                 [1, 1, 1, 0]];

  // The game: the number a step went to last, the situation read last, the choices offered.
  // Before the first game nothing is read, every target is 0 and every button is enabled.
  function newGame() {
    return {
      number: 0,
      situation: { n: "", t: 0, d: "", c: ["", "", "", ""], g: [0, 0, 0, 0], p: -1, s: -1 },
      offered: [true, true, true, true],
      over: false
    };
  }
  var game = newGame();

  // Why a step stopped: the message the player shows for it.
  function Stop(message) { this.message = message; }

  var log = null;          // the messages of the step being recorded, in autoplay
  var quiet = false;       // a path played again: no messages, no sounds
  var queue = [];          // messages and questions waiting to be shown, one at a time
  var soundAllowed = false;
  var soundOn = true;
  var audio = null;
  var soundStarted = null;
  var path = [];           // the situation numbers entered since the game began
  var remember = true;     // false while an autoplay runs: a test play is never kept

  // --- localStorage, which may be missing or throw on any call ------------------------------

  function storageGet(key) {
    try { return window.localStorage.getItem(key); } catch (e) { return null; }
  }
  function storageSet(key, value) {
    try { window.localStorage.setItem(key, value); } catch (e) { /* not remembered */ }
  }
  function storageRemove(key) {
    try { window.localStorage.removeItem(key); } catch (e) { /* nothing kept */ }
  }

  // --- the box: messages with "OK", questions with "Tak" and "Nie" --------------------------

  function message(text) {
    if (quiet) return;
    if (log) { log.push(text); return; }
    queue.push({ text: text });
    if (queue.length === 1) showMessage();
  }
  function ask(text, answer) {
    queue.push({ text: text, answer: answer });
    if (queue.length === 1) showMessage();
  }
  function showMessage() {
    var question = !!queue[0].answer;
    el("komunikat-tekst").textContent = queue[0].text;
    el("komunikat-ok").hidden = question;
    el("komunikat-tak").hidden = !question;
    el("komunikat-nie").hidden = !question;
    el("komunikat").hidden = false;
    el(question ? "komunikat-nie" : "komunikat-ok").focus();
  }
  function closeMessage(yes) {
    var shown = queue.shift();
    if (queue.length) showMessage(); else el("komunikat").hidden = true;
    if (shown.answer) shown.answer(yes);
    if (!queue.length) focusChoice();
  }

  // An error as the player's error box shows it: a full stop is added after a message whose
  // last character sorts after the full stop (letters and digits do; "!", ")" and "." do not).
  function errorText(text) {
    return text.length && text.charCodeAt(text.length - 1) > 0x2E ? text + "." : text;
  }

  function read(number) {
    if (number < 0) throw new Stop("I/O error 131");
    if (number >= situations.length) throw new Stop("Read beyond end of file");
    return situations[number];
  }

  function clearWindow() {
    el("opis").textContent = "";
    labels.forEach(function (label) { label.textContent = ""; });
    picture.hidden = true;
    picture.removeAttribute("src");
    picture.alt = "";
    stopSound();
    soundStarted = null;
  }

  function stopSound() {
    if (audio) { audio.pause(); audio = null; }
  }

  // Starts the sound without waiting for it, once the one playing is stopped. The step is
  // over before the browser answers: a sound it then refuses or cannot decode just does not
  // play, as the player's device stops without a word when playing fails.
  function playSound(uri) {
    stopSound();
    if (!soundAllowed || !soundOn || quiet) return;
    audio = new Audio(uri);
    var played = audio.play();
    if (played && played.catch) played.catch(function () {});
  }

  // Shows the situation just read; a picture the player refuses stops the step there. A game
  // needs no sound: one the player's device refuses shows its error box and the step goes on.
  function show(s) {
    labels.forEach(function (label, i) { label.textContent = s.c[i]; });
    el("opis").textContent = s.d;
    if (s.p >= 0) {
      var pic = data.pictures[s.p];
      if (pic.u) {
        picture.src = pic.u;
        picture.alt = s.b;
        picture.hidden = false;
      } else if (pic.f) {
        throw new Stop(pic.m);
      } else {
        message(pic.m);
      }
    }
    if (s.s >= 0) {
      var snd = data.sounds[s.s];
      if (snd.u) {
        soundStarted = s;
        playSound(snd.u);
      } else if (snd.f) {
        message(errorText(snd.m));
      } else {
        message(snd.m);
      }
    }
  }

  function setButtons() {
    buttons.forEach(function (b, i) { b.disabled = !game.offered[i]; });
  }

  function followType() {
    var t = game.situation.t;
    if (t === KONIEC) {
      game.offered = [false, false, false, false];
      game.over = true;
    } else if (t <= WYBORY3) {
      game.offered = OFFERED[t].map(Boolean);
    }
  }

  // Enters situation `number`; `first` for the start of a game.
  function enter(number, first) {
    clearWindow();
    game.number = number;
    try {
      game.situation = read(number);
      show(game.situation);
      if (first) game.offered = [true, false, false, false]; else followType();
    } catch (e) {
      if (!(e instanceof Stop)) throw e;
      message(errorText(e.message));
      return;
    }
    setButtons();
    if (game.over) message("To juz koniec gry");
  }

  // The live region says the description at every step. A region whose text does not change
  // is not read again, so the text alternates between ending in a zero-width space and not:
  // it differs from the one before even when the description is the same, the change is made
  // at once (no timer or frame to wait for) and screen readers say nothing for the space.
  var announced = false;
  function announce(text) {
    announced = !announced;
    el("ogloszenie").textContent = announced ? text + "\u200B" : text;
  }

  // What every step, Wstecz and restart end with: the buttons' names, Wstecz, the live region.
  function afterStep() {
    buttons.forEach(function (b, i) {
      var text = labels[i].textContent;
      b.setAttribute("aria-label", "Wybór " + (i + 1) + (text ? ": " + text : ""));
    });
    el("wstecz").disabled = path.length <= 1;
    announce(el("opis").textContent);
  }

  // The focus after a step: the first choice offered, else Wstecz, else "Zagraj od nowa".
  function focusChoice() {
    if (queue.length) return;
    var target = buttons.filter(function (b) { return !b.disabled; })[0] ||
                 (el("wstecz").disabled ? el("odnowa") : el("wstecz"));
    target.focus();
  }

  function save() {
    if (!remember) return;
    if (path.length > 1 && path.length <= MAX_KEPT)
      storageSet(GAME_KEY, JSON.stringify({ v: VERSION, path: path }));
    else storageRemove(GAME_KEY);
  }

  // A new game from situation 1.
  function start() {
    game = newGame();
    path = [1];
    enter(1, true);
    save();
    afterStep();
  }

  function choose(n) {
    if (n < 1 || n > 4 || !game.offered[n - 1] || queue.length) return;
    var number = game.situation.g[n - 1];
    enter(number, false);
    path.push(number);
    save();
    afterStep();
    focusChoice();
  }

  // Plays `numbers` again from a new game, quietly; false when they are not a play of this
  // scenario (each number after the first must be the target of a choice offered on the way).
  function replay(numbers) {
    if (!Array.isArray(numbers) || numbers[0] !== 1) return false;
    quiet = true;
    try {
      game = newGame();
      enter(1, true);
      for (var i = 1; i < numbers.length; ++i) {
        var next = numbers[i];
        var reachable = game.offered.some(function (on, k) {
          return on && game.situation.g[k] === next;
        });
        if (!reachable) return false;
        enter(next, false);
      }
    } finally {
      quiet = false;
    }
    path = numbers.slice();
    // The situation plays its sound as on entering; its messages were shown then.
    if (soundStarted) playSound(data.sounds[soundStarted.s].u);
    return true;
  }

  function back() {
    if (path.length <= 1 || queue.length) return;
    stopSound();
    replay(path.slice(0, -1));
    save();
    afterStep();
    focusChoice();
  }

  function restart() {
    if (queue.length) return;
    var underWay = path.length > 1 && !game.over;
    if (!underWay) { start(); focusChoice(); return; }
    ask("Zacząć grę od nowa? Ta gra nie będzie zapamiętana.", function (yes) {
      if (yes) start();
    });
  }

  // The game kept by the page before, when there is one and it is a play of this scenario;
  // anything else kept under its key is dropped.
  function resume() {
    var kept = storageGet(GAME_KEY);
    if (kept === null) return false;
    var state = null;
    try { state = JSON.parse(kept); } catch (e) { state = null; }
    var whole = function (n) { return typeof n === "number" && n === Math.floor(n); };
    var ok = state && state.v === VERSION && Array.isArray(state.path) &&
             state.path.length <= MAX_KEPT && state.path.every(whole) && replay(state.path);
    if (!ok) {
      storageRemove(GAME_KEY);
      return false;
    }
    afterStep();
    return true;
  }

  function showSoundSwitch() {
    var b = el("dzwiek");
    b.setAttribute("aria-pressed", soundOn ? "true" : "false");
    b.textContent = soundOn ? "Dźwięk: włączony" : "Dźwięk: wyłączony";
  }
  function switchSound() {
    stopSound();
    soundOn = !soundOn;
    storageSet(SOUND_KEY, soundOn ? "1" : "0");
    showSoundSwitch();
  }

  // --- a play without a person, for tests -------------------------------------------------

  function mulberry32(seed) {
    var a = seed >>> 0;
    return function () {
      a = (a + 0x6D2B79F5) >>> 0;
      var t = Math.imul(a ^ (a >>> 15), 1 | a);
      t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
      return (t ^ (t >>> 14)) >>> 0;
    };
  }

  function record(steps, action) {
    log = [];
    action();
    var shownPicture = !picture.hidden;
    steps.push({
      n: game.number,
      d: el("opis").textContent,
      c: labels.map(function (label) { return label.textContent; }),
      o: buttons.map(function (b) { return !b.disabled; }),
      p: shownPicture ? picture.alt : null,
      s: soundStarted ? soundStarted.w : null,
      m: log
    });
    log = null;
  }

  function autoplay(seed, limit) {
    var next = mulberry32(seed);
    var steps = [];
    // Each seed plays as in a page just opened.
    game = newGame();
    setButtons();
    record(steps, function () { start(); });
    for (var i = 0; i < limit && !game.over; ++i) {
      var offered = [];
      buttons.forEach(function (b, k) { if (!b.disabled) offered.push(k + 1); });
      if (!offered.length) break;
      var n = offered[next() % offered.length];
      // Taken as a person would: a click on the button, or its key, by turns.
      var viaKey = i % 2 === 1;
      record(steps, function () {
        if (viaKey) {
          document.body.dispatchEvent(new KeyboardEvent("keydown", { key: String(n), bubbles: true }));
        } else {
          buttons[n - 1].click();
        }
      });
    }
    return { seed: seed, steps: steps, end: game.over };
  }

  var MAX_STEPS = 10000, MAX_SEEDS = 20;

  // The fragment's parameters; none when any of them does not decode.
  function hashParameters() {
    var out = {};
    try {
      location.hash.replace(/^#/, "").split("&").forEach(function (part) {
        var kv = part.split("=");
        var key = decodeURIComponent(kv[0]);
        if (key) out[key] = kv.length > 1 ? decodeURIComponent(kv[1]) : "";
      });
    } catch (e) {
      if (!(e instanceof URIError)) throw e;
      return {};
    }
    return out;
  }

  // The number of choices an autoplay takes: 200 unless given, within 0 to MAX_STEPS.
  function stepLimit(text) {
    if (text === undefined) return 200;
    var n = Math.floor(Number(text));
    return n > 0 ? Math.min(n, MAX_STEPS) : 0;
  }

  // --- actions as a person does them, for tests ---------------------------------------------

  function press(key) {
    document.body.dispatchEvent(new KeyboardEvent("keydown", { key: key, bubbles: true,
                                                              cancelable: true }));
  }

  var ACTIONS = {
    back: function () { el("wstecz").click(); },
    bs: function () { press("Backspace"); },
    restart: function () { el("odnowa").click(); },
    yes: function () { el("komunikat-tak").click(); },
    no: function () { el("komunikat-nie").click(); },
    ok: function () { el("komunikat-ok").click(); },
    esc: function () { press("Escape"); },
    mute: function () { el("dzwiek").click(); }
  };

  function pageState(action) {
    var stored = storageGet(GAME_KEY);
    var active = document.activeElement;
    return {
      a: action,
      n: game.number,
      d: el("opis").textContent,
      o: buttons.map(function (b) { return !b.disabled; }),
      live: el("ogloszenie").textContent,
      f: active && active.id ? active.id : null,
      back: !el("wstecz").disabled,
      muted: el("dzwiek").getAttribute("aria-pressed") === "false",
      stored: stored,
      box: el("komunikat").hidden ? null : el("komunikat-tekst").textContent
    };
  }

  function act(actions) {
    var states = [pageState("open")];
    actions.forEach(function (action) {
      var choice = /^c?([1-4])$/.exec(action);
      if (choice && action[0] === "c") buttons[Number(choice[1]) - 1].click();
      else if (choice) press(choice[1]);
      else if (ACTIONS[action]) ACTIONS[action]();
      states.push(pageState(action));
    });
    return states;
  }

  // --- the page ---------------------------------------------------------------------------

  el("tytul").textContent = data.title;
  document.title = data.title + " – Tekstówki";

  buttons.forEach(function (b) {
    b.addEventListener("click", function () { choose(Number(b.dataset.n)); });
  });
  el("komunikat-ok").addEventListener("click", function () { closeMessage(false); });
  el("komunikat-tak").addEventListener("click", function () { closeMessage(true); });
  el("komunikat-nie").addEventListener("click", function () { closeMessage(false); });
  el("odnowa").addEventListener("click", restart);
  el("wstecz").addEventListener("click", back);
  el("dzwiek").addEventListener("click", switchSound);
  document.addEventListener("keydown", function (e) {
    if (queue.length) {
      var question = !!queue[0].answer;
      if (e.key === "Escape") {
        e.preventDefault();
        closeMessage(false);
      } else if (!question && (e.key === "Enter" || e.key === " ")) {
        e.preventDefault();
        closeMessage(false);
      } else if (question && e.key === "Tab") {
        // The focus stays in the box, between "Tak" and "Nie".
        e.preventDefault();
        var onYes = document.activeElement === el("komunikat-tak");
        el(onYes ? "komunikat-nie" : "komunikat-tak").focus();
      }
      return;
    }
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    if (e.key >= "1" && e.key <= "4") {
      choose(Number(e.key));
    } else if (e.key === "Backspace") {
      e.preventDefault();
      back();
    }
  });
  // Browsers let a page play sounds only after a click or a key; the situation on screen then
  // plays its sound, unless that click or key is on a button or a key that does something
  // (which plays what it leads to).
  function allowSound(e) {
    if (soundAllowed) return;
    soundAllowed = true;
    var onButton = (e.target && e.target.closest && e.target.closest("button")) ||
                   (e.key >= "1" && e.key <= "4") || e.key === "Backspace";
    if (!onButton && soundStarted && !audio) playSound(data.sounds[soundStarted.s].u);
  }
  document.addEventListener("pointerdown", allowSound, true);
  document.addEventListener("keydown", allowSound, true);

  soundOn = storageGet(SOUND_KEY) !== "0";
  showSoundSwitch();

  var params = hashParameters();
  var trace = el("trace");
  if (params.autoplay !== undefined) {
    remember = false;
    var limit = stepLimit(params.steps);
    var runs = params.autoplay.split(",").slice(0, MAX_SEEDS).map(function (seed) {
      return autoplay(Number(seed) >>> 0, limit);
    });
    trace.textContent = JSON.stringify(runs);
    start();
  } else if (!resume()) {
    start();
  }
  if (params.do !== undefined) {
    trace.textContent = JSON.stringify(act(params.do ? params.do.split(",") : []));
  }
  if (params.layout !== undefined) {
    var r = el("obraz").getBoundingClientRect();
    trace.textContent = JSON.stringify({
      x: r.left, y: r.top, w: r.width, h: r.height,
      width: window.innerWidth, scrollWidth: document.documentElement.scrollWidth
    });
  }
})();
