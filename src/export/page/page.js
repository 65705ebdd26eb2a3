"use strict";
// The catalogue page: a grid of posters of which only the cards near the
// screen exist (a window of cards moved as the reader scrolls, so that a
// catalogue of any size costs the same memory), a search that ignores accents
// and letter case, sorts, filters by genre, country and year, and a detail
// view per film reached by the address "#film-N".
(function () {
  performance.mark("filmarch-debut");
  var MARGE = 2; // screens of cards kept above and below the one shown

  var grille = document.getElementById("grille");
  var recherche = document.getElementById("recherche");
  var tri = document.getElementById("tri");
  var genre = document.getElementById("genre");
  var pays = document.getElementById("pays");
  var annee = document.getElementById("annee");
  var compte = document.getElementById("compte");
  var fiche = document.getElementById("fiche");
  var panneau = fiche.querySelector(".fiche-panneau");
  var ficheContenu = document.getElementById("fiche-contenu");

  var francais = new Intl.Collator("fr", { sensitivity: "base", numeric: true });
  var nombre = new Intl.NumberFormat("fr-FR", { maximumFractionDigits: 1 });

  function simple(texte) {
    return String(texte || "").normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase()
      .replace(/œ/g, "oe").replace(/æ/g, "ae").replace(/ß/g, "ss");
  }

  function element(nom, classe, texte) {
    var e = document.createElement(nom);
    if (classe) e.className = classe;
    if (texte !== undefined) e.textContent = texte;
    return e;
  }

  function message(texte) {
    grille.textContent = "";
    grille.style.height = "";
    grille.style.paddingTop = "";
    grille.appendChild(element("p", "vide", texte));
  }

  // A script of the page's folder, read after the next frame so that what
  // the page shows meanwhile reaches the screen first.
  function charger(nom, suite, echec) {
    requestAnimationFrame(function () {
      setTimeout(function () {
        var script = document.createElement("script");
        script.src = nom;
        script.onload = suite;
        script.onerror = echec;
        document.head.appendChild(script);
      }, 0);
    });
  }

  // The data arrive each as one text; null when it is missing or unreadable.
  function texteLu(nom) {
    var donnees = window[nom];
    window[nom] = null;
    if (typeof donnees !== "string") return null;
    try {
      return JSON.parse(donnees);
    } catch (e) {
      return null;
    }
  }

  // The films, read once the page shows that it is loading.
  function lire() {
    var catalogue = texteLu("FILMARCH_DONNEES");
    if (!catalogue) {
      message("Les données du catalogue (data.js) manquent ou sont illisibles.");
      return;
    }
    demarrer(catalogue);
  }

  function demarrer(catalogue) {
    var films = Array.isArray(catalogue.films) ? catalogue.films : [];
    if (catalogue.titre) {
      document.getElementById("titre").textContent = catalogue.titre;
      document.title = catalogue.titre + " – Catalogue de films";
    }

    // Genres and countries are few values met again and again: each made simple once.
    var simples = new Map();
    function simpleValeur(valeur) {
      var s = simples.get(valeur);
      if (s === undefined) simples.set(valeur, s = simple(valeur));
      return s;
    }
    films.forEach(function (film, i) {
      film.i = i;
      if (typeof film.r !== "number" || !isFinite(film.r) || film.r < 0 || film.r > 10) delete film.r;
      film.gs = (film.g || []).map(simpleValeur);
      film.ps = (film.p || []).map(simpleValeur);
    });

    // The search index: one text per film, built once, after the first cards
    // are on the screen (or at the first search, if that comes sooner).
    var indexe = false;
    function indexer() {
      if (indexe) return;
      films.forEach(function (film) {
        film.cle = simple([film.t, film.o, film.re, (film.ac || []).join(" "), film.f, (film.g || []).join(" "),
          (film.p || []).join(" "), film.y].join("\n"));
      });
      indexe = true;
    }

    // Each order is computed once, then filtering keeps it.
    var ordres = {};
    function parTitre(a, b) { return francais.compare(a.t || "", b.t || "") || a.i - b.i; }
    function selon(cle, sens) {
      return function (a, b) {
        var x = a[cle], y = b[cle];
        if (x === y) return parTitre(a, b);
        if (x === undefined) return 1;
        if (y === undefined) return -1;
        if (typeof x === "string") return sens * francais.compare(x, y) || parTitre(a, b);
        return x < y ? -sens : sens;
      };
    }
    var comparaisons = {
      "titre": parTitre,
      "titre-inverse": function (a, b) { return parTitre(b, a); },
      "annee": selon("y", -1),
      "annee-inverse": selon("y", 1),
      "ajout": selon("d", -1),
      "note": selon("r", -1),
      "duree": selon("l", -1),
      "duree-inverse": selon("l", 1),
      "realisateur": selon("re", 1),
      "taille": selon("ta", -1)
    };
    function ordre(cle) {
      if (!ordres[cle]) ordres[cle] = films.slice().sort(comparaisons[cle] || parTitre);
      return ordres[cle];
    }

    // Values told apart without regard to case or accents, shown as first met.
    function remplirChoix(select, cle) {
      var valeurs = new Map();
      films.forEach(function (film) {
        (film[cle] || []).forEach(function (valeur) {
          var k = simpleValeur(valeur);
          var v = valeurs.get(k);
          if (v) v.n++; else valeurs.set(k, { texte: valeur, n: 1 });
        });
      });
      Array.from(valeurs.keys()).sort(function (a, b) {
        return francais.compare(valeurs.get(a).texte, valeurs.get(b).texte);
      }).forEach(function (k) {
        var option = element("option", "", valeurs.get(k).texte + " (" + valeurs.get(k).n + ")");
        option.value = k;
        select.appendChild(option);
      });
    }
    remplirChoix(genre, "g");
    remplirChoix(pays, "p");

    // Decades, each followed by its years.
    (function () {
      var decennies = new Map();
      films.forEach(function (film) {
        if (!film.y) return;
        var d = Math.floor(film.y / 10) * 10;
        if (!decennies.has(d)) decennies.set(d, new Map());
        var ans = decennies.get(d);
        ans.set(film.y, (ans.get(film.y) || 0) + 1);
      });
      Array.from(decennies.keys()).sort(function (a, b) { return b - a; }).forEach(function (d) {
        var ans = decennies.get(d);
        var total = 0;
        ans.forEach(function (n) { total += n; });
        var groupe = element("optgroup");
        groupe.label = "Années " + d;
        var tout = element("option", "", d + "–" + (d + 9) + " (" + total + ")");
        tout.value = "d" + d;
        groupe.appendChild(tout);
        Array.from(ans.keys()).sort(function (a, b) { return b - a; }).forEach(function (y) {
          var option = element("option", "", y + " (" + ans.get(y) + ")");
          option.value = "a" + y;
          groupe.appendChild(option);
        });
        annee.appendChild(groupe);
      });
    })();

    var choisis = [];
    var precedents = null; // the last search, whose results a longer one narrows

    function appliquer() {
      var texte = simple(recherche.value).trim();
      var mots = texte.split(/\s+/).filter(Boolean);
      if (mots.length) indexer();
      var g = genre.value, p = pays.value, a = annee.value;
      var source = ordre(tri.value);
      var memesFiltres = precedents && precedents.g === g && precedents.p === p && precedents.a === a &&
        precedents.tri === tri.value;
      if (memesFiltres && texte.indexOf(precedents.texte) === 0 && precedents.texte.split(/\s+/).length <= mots.length)
        source = precedents.films;
      var de = a.charAt(0) === "d" ? Number(a.slice(1)) : a.charAt(0) === "a" ? Number(a.slice(1)) : 0;
      var jusqua = a.charAt(0) === "d" ? de + 9 : de;
      choisis = source.filter(function (film) {
        if (g && film.gs.indexOf(g) < 0) return false;
        if (p && film.ps.indexOf(p) < 0) return false;
        if (de && !(film.y >= de && film.y <= jusqua)) return false;
        for (var k = 0; k < mots.length; k++) if (film.cle.indexOf(mots[k]) < 0) return false;
        return true;
      });
      precedents = { texte: texte, g: g, p: p, a: a, tri: tri.value, films: choisis };
      compte.textContent = choisis.length === films.length
        ? films.length + (films.length > 1 ? " films" : " film")
        : choisis.length + " sur " + films.length + " films";
      if (!choisis.length) {
        cartes.clear();
        message(films.length ? "Aucun film ne correspond." : "Le catalogue est vide.");
        return;
      }
      // The cards of films still chosen are kept: a search that narrows
      // the list mostly moves cards already made.
      var vide = grille.querySelector(".vide");
      if (vide) vide.remove();
      dessiner();
    }

    function teinte(texte) {
      var h = 0;
      for (var k = 0; k < texte.length; k++) h = (h * 31 + texte.charCodeAt(k)) % 360;
      return h;
    }

    function image(film, classe) {
      if (film.a) {
        var img = element("img", classe);
        img.src = film.a;
        img.alt = "Affiche : " + (film.t || "");
        img.decoding = "async";
        if (film.w && film.h) { img.width = film.w; img.height = film.h; }
        return img;
      }
      var sans = element("div", "sans-affiche");
      sans.style.setProperty("--teinte", teinte(film.t || ""));
      sans.appendChild(element("span", "", film.t || "Sans titre"));
      return sans;
    }

    function carte(film) {
      var lien = element("a", "carte");
      lien.href = "#film-" + film.i;
      lien.dataset.film = film.i;
      lien.title = film.t || "Sans titre";
      lien.appendChild(image(film, "affiche"));
      var legende = element("span", "legende");
      legende.appendChild(element("span", "titre", film.t || "Sans titre"));
      legende.appendChild(element("span", "annee", film.y || ""));
      lien.appendChild(legende);
      return lien;
    }

    // The window of cards: rows of the grid drawn from the position of the
    // page, the space of the others kept by the grid's height.
    var cartes = new Map(); // film index -> card in the document
    var mesure = null;      // columns, height of a row, top of the grid

    function mesurer() {
      var style = getComputedStyle(grille);
      var colonnes = style.gridTemplateColumns.split(" ").filter(Boolean).length || 1;
      var exemple = grille.querySelector(".carte");
      var ecart = parseFloat(style.rowGap) || 0;
      var hauteur = exemple ? exemple.getBoundingClientRect().height + ecart : 300;
      return { colonnes: colonnes, ligne: hauteur, ecart: ecart };
    }

    function dessiner() {
      if (!choisis.length) return;
      if (!mesure || !cartes.size) {
        // One card to measure the rows by.
        if (!cartes.size) {
          var premiere = carte(choisis[0]);
          grille.appendChild(premiere);
          cartes.set(choisis[0].i, premiere);
        }
        mesure = mesurer();
      }
      var haut = grille.getBoundingClientRect().top + window.scrollY;
      var rangees = Math.ceil(choisis.length / mesure.colonnes);
      var ecran = window.innerHeight;
      var debut = Math.max(0, Math.floor((window.scrollY - haut - MARGE * ecran) / mesure.ligne));
      var fin = Math.min(rangees, Math.ceil((window.scrollY - haut + (MARGE + 1) * ecran) / mesure.ligne));
      var premier = debut * mesure.colonnes, dernier = Math.min(choisis.length, fin * mesure.colonnes);
      var voulues = new Map();
      for (var k = premier; k < dernier; k++) voulues.set(choisis[k].i, k);
      cartes.forEach(function (e, i) {
        if (!voulues.has(i)) {
          e.remove();
          cartes.delete(i);
        }
      });
      var morceau = document.createDocumentFragment();
      for (k = premier; k < dernier; k++) {
        var film = choisis[k];
        morceau.appendChild(cartes.get(film.i) || carte(film));
        if (!cartes.has(film.i)) cartes.set(film.i, morceau.lastChild);
      }
      grille.appendChild(morceau);
      grille.style.paddingTop = "calc(var(--marge-grille) + " + debut * mesure.ligne + "px)";
      grille.style.height = "calc(2 * var(--marge-grille) + " + (rangees * mesure.ligne - mesure.ecart) + "px)";
    }

    var prevu = false;
    function redessiner() {
      if (prevu) return;
      prevu = true;
      requestAnimationFrame(function () { prevu = false; dessiner(); });
    }
    window.addEventListener("scroll", redessiner, { passive: true });
    window.addEventListener("resize", function () { mesure = null; redessiner(); });

    // A card reached by the keyboard is brought to the screen, and the window with it.
    grille.addEventListener("focusin", function (e) {
      var lien = e.target.closest && e.target.closest(".carte");
      if (lien) { lien.scrollIntoView({ block: "nearest" }); redessiner(); }
    });

    function montrerCarte(index) {
      var position = choisis.findIndex(function (f) { return f.i === index; });
      if (position < 0 || !mesure) return null;
      var haut = grille.getBoundingClientRect().top + window.scrollY;
      var y = haut + Math.floor(position / mesure.colonnes) * mesure.ligne;
      if (y < window.scrollY + 80 || y + mesure.ligne > window.scrollY + window.innerHeight)
        window.scrollTo(0, Math.max(0, y - window.innerHeight / 3));
      dessiner();
      return cartes.get(index) || null;
    }

    function duree(minutes) {
      var h = Math.floor(minutes / 60), m = minutes % 60;
      return h ? h + " h " + String(m).padStart(2, "0") + " min" : m + " min";
    }
    function date(iso) {
      var morceaux = /^(\d{4})-(\d{2})-(\d{2})$/.exec(iso || "");
      return morceaux ? morceaux[3] + "/" + morceaux[2] + "/" + morceaux[1] : iso;
    }

    // The film's file as a link where the path is one of this system's.
    function lienFichier(chemin) {
      if (!chemin || chemin.charAt(0) !== "/") return null;
      var a = element("a", "chemin", chemin);
      a.href = "file://" + chemin.split("/").map(encodeURIComponent).join("/");
      return a;
    }

    function liste(titre, lignes) {
      lignes = lignes.filter(function (l) { return l[1] !== undefined && l[1] !== ""; });
      if (!lignes.length) return null;
      var bloc = document.createDocumentFragment();
      bloc.appendChild(element("h3", "", titre));
      var dl = element("dl");
      lignes.forEach(function (l) {
        dl.appendChild(element("dt", "", l[0]));
        var dd = element("dd", l[2] || "");
        if (l[1] instanceof Node) dd.appendChild(l[1]);
        else dd.textContent = Array.isArray(l[1]) ? l[1].join(", ") : String(l[1]);
        dl.appendChild(dd);
      });
      bloc.appendChild(dl);
      return bloc;
    }

    function paragraphe(titre, texte) {
      if (!texte) return null;
      var bloc = document.createDocumentFragment();
      bloc.appendChild(element("h3", "", titre));
      bloc.appendChild(element("p", "synopsis", texte));
      return bloc;
    }

    var ouvert = null; // the film shown in the detail view

    function montrer(film) {
      ficheContenu.textContent = "";
      var corps = element("div", "fiche-corps");
      corps.appendChild(image(film, "affiche"));
      var texte = element("div");
      var titre = element("h2", "", film.t || "Sans titre");
      titre.id = "fiche-titre";
      texte.appendChild(titre);
      if (film.o) texte.appendChild(element("p", "original", film.o));
      var resume = [];
      if (film.y) resume.push(film.y);
      if (film.l) resume.push(duree(film.l));
      if (film.r !== undefined) resume.push("Note " + nombre.format(film.r) + "/10");
      if (resume.length) texte.appendChild(element("p", "resume", resume.join(" · ")));
      [
        liste("Film", [
          ["Réalisation", film.re], ["Production", film.pr], ["Acteurs", film.ac], ["Genres", film.g],
          ["Pays", film.p], ["Ajouté le", film.d && date(film.d)]
        ]),
        paragraphe("Synopsis", film.s),
        liste("Fiche technique", (film.tech || []).concat([["Fichier", lienFichier(film.f) || film.f, "chemin"]])),
        paragraphe("Pièces jointes et commentaires", film.c),
        liste("Autres champs", (film.x || []).map(function (l) {
          return [l[0], l[1] === "True" ? "Oui" : l[1] === "False" ? "Non" : l[1]];
        }))
      ].forEach(function (bloc) { if (bloc) texte.appendChild(bloc); });
      corps.appendChild(texte);
      ficheContenu.appendChild(corps);
      ouvert = film;
      fiche.hidden = false;
      document.body.style.overflow = "hidden";
      fiche.querySelector(".fermer").focus();
    }

    function cacher() {
      if (fiche.hidden) return;
      fiche.hidden = true;
      document.body.style.overflow = "";
      var film = ouvert;
      ouvert = null;
      // Back to the card the film was opened from.
      var lien = film && montrerCarte(film.i);
      if (lien) lien.focus({ preventScroll: true });
    }

    function suivreAdresse() {
      var m = /^#film-(\d+)$/.exec(location.hash);
      var film = m && films[Number(m[1])];
      if (film) montrer(film); else cacher();
    }

    // Opening a film adds one entry to the history and closing it takes that
    // entry back, so that Back leaves the page as it was before.
    grille.addEventListener("click", function (e) {
      var lien = e.target.closest && e.target.closest(".carte");
      if (!lien || e.ctrlKey || e.metaKey || e.shiftKey || e.button !== 0) return;
      e.preventDefault();
      history.pushState({ fiche: true }, "", "#film-" + lien.dataset.film);
      suivreAdresse();
    });

    function fermer() {
      cacher();
      if (history.state && history.state.fiche) history.back();
      else if (/^#film-/.test(location.hash)) history.replaceState(null, "", location.pathname + location.search);
    }

    // Tab and Shift-Tab go round the open film view.
    function tabulation(e) {
      var elements = Array.from(panneau.querySelectorAll("a[href], button, [tabindex]:not([tabindex='-1'])"));
      if (!elements.length) return;
      var premier = elements[0], dernier = elements[elements.length - 1];
      if (e.shiftKey && (document.activeElement === premier || !panneau.contains(document.activeElement))) {
        e.preventDefault();
        dernier.focus();
      } else if (!e.shiftKey && (document.activeElement === dernier || !panneau.contains(document.activeElement))) {
        e.preventDefault();
        premier.focus();
      }
    }

    fiche.addEventListener("click", function (e) { if (e.target.hasAttribute("data-fermer")) fermer(); });
    document.addEventListener("keydown", function (e) {
      if (fiche.hidden) return;
      if (e.key === "Escape") fermer();
      else if (e.key === "Tab") tabulation(e);
    });
    window.addEventListener("popstate", suivreAdresse);
    window.addEventListener("hashchange", suivreAdresse);
    recherche.addEventListener("input", appliquer);
    [tri, genre, pays, annee].forEach(function (select) { select.addEventListener("change", appliquer); });

    appliquer();
    suivreAdresse();
    performance.measure("filmarch-page", "filmarch-debut");

    // What only a film's own view shows comes once the cards are on the
    // screen: the index first, then the details; a film open meanwhile is
    // shown again with them.
    requestAnimationFrame(function () { setTimeout(indexer, 0); });
    function fini() { document.documentElement.dataset.pret = "oui"; }
    charger("fiches.js", function () {
      var fiches = texteLu("FILMARCH_FICHES");
      if (Array.isArray(fiches) && fiches.length === films.length) {
        fiches.forEach(function (fiche, i) {
          ["pr", "s", "c", "tech", "x"].forEach(function (cle) { if (fiche && fiche[cle]) films[i][cle] = fiche[cle]; });
        });
        if (ouvert) montrer(ouvert);
      }
      fini();
    }, fini);
  }

  // The page shows "Chargement…" first; the films are loaded once it is on the screen.
  charger("data.js", lire, function () { message("Les données du catalogue (data.js) manquent."); });
})();
