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
(function () {
  "use strict";

  var data = JSON.parse(document.getElementById("scenario").textContent);
  var situations = data.situations;
  var el = function (id) { return document.getElementById(id); };
  var buttons = Array.prototype.slice.call(document.querySelectorAll(".wybor"));
  var labels = [el("wybor1"), el("wybor2"), el("wybor3"), el("wybor4")];
  var picture = el("obrazek");
  var KONIEC = 2, WYBORY3 = 5;
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
  var queue = [];          // messages waiting to be shown, one at a time
  var soundAllowed = false;
  var audio = null;
  var soundStarted = null;

  function message(text) {
    if (log) { log.push(text); return; }
    queue.push(text);
    if (queue.length === 1) showMessage();
  }
  function showMessage() {
    el("komunikat-tekst").textContent = queue[0];
    el("komunikat").hidden = false;
    el("komunikat-ok").focus();
  }
  function closeMessage() {
    queue.shift();
    if (queue.length) showMessage(); else el("komunikat").hidden = true;
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
    if (audio) { audio.pause(); audio = null; }
    soundStarted = null;
  }

  // Starts the sound without waiting for it. The step is over before the browser answers: a
  // sound it then refuses or cannot decode just does not play, as the player's device stops
  // without a word when playing fails.
  function playSound(uri) {
    if (!soundAllowed) return;
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

  function start() {
    game.over = false;
    enter(1, true);
  }

  function choose(n) {
    if (n < 1 || n > 4 || !game.offered[n - 1] || queue.length) return;
    enter(game.situation.g[n - 1], false);
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
    record(steps, start);
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

  // --- the page ---------------------------------------------------------------------------

  el("tytul").textContent = data.title;
  document.title = data.title + " – Tekstówki";

  buttons.forEach(function (b) {
    b.addEventListener("click", function () { choose(Number(b.dataset.n)); });
  });
  el("komunikat-ok").addEventListener("click", closeMessage);
  el("odnowa").addEventListener("click", function () { if (!queue.length) start(); });
  document.addEventListener("keydown", function (e) {
    if (queue.length) {
      if (e.key === "Enter" || e.key === "Escape" || e.key === " ") { e.preventDefault(); closeMessage(); }
      return;
    }
    if (e.key >= "1" && e.key <= "4" && !e.ctrlKey && !e.altKey && !e.metaKey) choose(Number(e.key));
  });
  // Browsers let a page play sounds only after a click or a key; the situation on screen then
  // plays its sound, unless that click or key is itself a choice that enters another one.
  function allowSound(e) {
    if (soundAllowed) return;
    soundAllowed = true;
    var isChoice = (e.target && e.target.closest && e.target.closest(".wybor")) ||
                   (e.key >= "1" && e.key <= "4");
    if (!isChoice && soundStarted && !audio) playSound(data.sounds[soundStarted.s].u);
  }
  document.addEventListener("pointerdown", allowSound, true);
  document.addEventListener("keydown", allowSound, true);

  var params = hashParameters();
  var trace = el("trace");
  if (params.autoplay !== undefined) {
    var limit = stepLimit(params.steps);
    var runs = params.autoplay.split(",").slice(0, MAX_SEEDS).map(function (seed) {
      return autoplay(Number(seed) >>> 0, limit);
    });
    trace.textContent = JSON.stringify(runs);
  }
  start();
  if (params.layout !== undefined) {
    var r = el("obraz").getBoundingClientRect();
    trace.textContent = JSON.stringify({
      x: r.left, y: r.top, w: r.width, h: r.height,
      width: window.innerWidth, scrollWidth: document.documentElement.scrollWidth
    });
  }
})();
