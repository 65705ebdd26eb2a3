"use strict";
// The catalogue page: a grid of posters drawn a screenful at a time, a search
// that ignores accents and letter case, sorting, genre and country filters, and
// a detail view per film reached by the address "#film-N".
(function () {
  performance.mark("filmarch-debut");
  var catalogue = window.FILMARCH_CATALOGUE || { titre: "", films: [] };
  var films = catalogue.films;
  var PAS = 120; // cards drawn at once

  var grille = document.getElementById("grille");
  var suite = document.getElementById("suite");
  var recherche = document.getElementById("recherche");
  var tri = document.getElementById("tri");
  var genre = document.getElementById("genre");
  var pays = document.getElementById("pays");
  var compte = document.getElementById("compte");
  var fiche = document.getElementById("fiche");
  var ficheContenu = document.getElementById("fiche-contenu");

  var francais = new Intl.Collator("fr", { sensitivity: "base", numeric: true });
  var nombre = new Intl.NumberFormat("fr-FR", { maximumFractionDigits: 1 });

  function simple(texte) {
    return String(texte || "").normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase()
      .replace(/œ/g, "oe").replace(/æ/g, "ae").replace(/ß/g, "ss");
  }

  films.forEach(function (film, i) {
    film.i = i;
    film.cle = simple([film.t, film.o, film.re, (film.ac || []).join(" "), film.f].join("\n"));
  });

  if (catalogue.titre) {
    document.getElementById("titre").textContent = catalogue.titre;
    document.title = catalogue.titre + " – Catalogue de films";
  }

  // Each order is computed once, then filtering keeps it.
  var ordres = {};
  function parTitre(a, b) { return francais.compare(a.t || "", b.t || "") || a.i - b.i; }
  function decroissant(cle) {
    return function (a, b) {
      var x = a[cle], y = b[cle];
      if (x === y) return parTitre(a, b);
      if (x === undefined) return 1;
      if (y === undefined) return -1;
      return x < y ? 1 : -1;
    };
  }
  function croissant(cle) {
    return function (a, b) {
      var x = a[cle], y = b[cle];
      if (x === y) return parTitre(a, b);
      if (x === undefined) return 1;
      if (y === undefined) return -1;
      return x < y ? -1 : 1;
    };
  }
  var comparaisons = {
    "titre": parTitre,
    "titre-inverse": function (a, b) { return parTitre(b, a); },
    "annee": decroissant("y"),
    "annee-inverse": croissant("y"),
    "ajout": decroissant("d"),
    "note": decroissant("r"),
    "duree": decroissant("l"),
    "duree-inverse": croissant("l")
  };
  function ordre(cle) {
    if (!ordres[cle]) ordres[cle] = films.slice().sort(comparaisons[cle] || parTitre);
    return ordres[cle];
  }

  function remplirChoix(select, cle) {
    var nombres = new Map();
    films.forEach(function (film) {
      (film[cle] || []).forEach(function (valeur) { nombres.set(valeur, (nombres.get(valeur) || 0) + 1); });
    });
    Array.from(nombres.keys()).sort(francais.compare).forEach(function (valeur) {
      var option = document.createElement("option");
      option.value = valeur;
      option.textContent = valeur + " (" + nombres.get(valeur) + ")";
      select.appendChild(option);
    });
  }
  remplirChoix(genre, "g");
  remplirChoix(pays, "p");

  var choisis = [];
  var dessines = 0;

  function appliquer() {
    var mots = simple(recherche.value).split(/\s+/).filter(Boolean);
    var g = genre.value, p = pays.value;
    choisis = ordre(tri.value).filter(function (film) {
      if (g && (!film.g || film.g.indexOf(g) < 0)) return false;
      if (p && (!film.p || film.p.indexOf(p) < 0)) return false;
      for (var k = 0; k < mots.length; k++) if (film.cle.indexOf(mots[k]) < 0) return false;
      return true;
    });
    grille.textContent = "";
    dessines = 0;
    compte.textContent = choisis.length === films.length
      ? films.length + (films.length > 1 ? " films" : " film")
      : choisis.length + " sur " + films.length + " films";
    if (!choisis.length) {
      var vide = document.createElement("p");
      vide.className = "vide";
      vide.textContent = films.length ? "Aucun film ne correspond." : "Le catalogue est vide.";
      grille.appendChild(vide);
    }
    dessinerSuite();
  }

  function teinte(texte) {
    var h = 0;
    for (var k = 0; k < texte.length; k++) h = (h * 31 + texte.charCodeAt(k)) % 360;
    return h;
  }

  function image(film, classe) {
    if (film.a) {
      var img = document.createElement("img");
      img.className = classe;
      img.src = film.a;
      img.alt = "Affiche : " + (film.t || "");
      img.loading = "lazy";
      img.decoding = "async";
      if (film.w && film.h) { img.width = film.w; img.height = film.h; }
      return img;
    }
    var sans = document.createElement("div");
    sans.className = "sans-affiche";
    sans.style.setProperty("--teinte", teinte(film.t || ""));
    var texte = document.createElement("span");
    texte.textContent = film.t || "Sans titre";
    sans.appendChild(texte);
    return sans;
  }

  function carte(film) {
    var lien = document.createElement("a");
    lien.className = "carte";
    lien.href = "#film-" + film.i;
    lien.appendChild(image(film, "affiche"));
    var legende = document.createElement("span");
    legende.className = "legende";
    var titre = document.createElement("span");
    titre.className = "titre";
    titre.textContent = film.t || "Sans titre";
    legende.appendChild(titre);
    if (film.y) {
      var annee = document.createElement("span");
      annee.className = "annee";
      annee.textContent = film.y;
      legende.appendChild(annee);
    }
    lien.appendChild(legende);
    return lien;
  }

  function dessinerSuite() {
    var fin = Math.min(choisis.length, dessines + PAS);
    if (fin <= dessines) return;
    var morceau = document.createDocumentFragment();
    for (var k = dessines; k < fin; k++) morceau.appendChild(carte(choisis[k]));
    grille.appendChild(morceau);
    dessines = fin;
  }

  if ("IntersectionObserver" in window) {
    new IntersectionObserver(function (vus) {
      if (vus.some(function (v) { return v.isIntersecting; })) dessinerSuite();
    }, { rootMargin: "800px" }).observe(suite);
  } else {
    window.addEventListener("scroll", function () {
      if (suite.getBoundingClientRect().top < window.innerHeight + 800) dessinerSuite();
    });
  }

  function duree(minutes) {
    var h = Math.floor(minutes / 60), m = minutes % 60;
    return h ? h + " h " + String(m).padStart(2, "0") + " min" : m + " min";
  }
  function date(iso) {
    var morceaux = /^(\d{4})-(\d{2})-(\d{2})$/.exec(iso || "");
    return morceaux ? morceaux[3] + "/" + morceaux[2] + "/" + morceaux[1] : iso;
  }

  function element(nom, classe, texte) {
    var e = document.createElement(nom);
    if (classe) e.className = classe;
    if (texte !== undefined) e.textContent = texte;
    return e;
  }

  function liste(titre, lignes) {
    lignes = lignes.filter(function (l) { return l[1] !== undefined && l[1] !== ""; });
    if (!lignes.length) return null;
    var bloc = document.createDocumentFragment();
    bloc.appendChild(element("h3", "", titre));
    var dl = element("dl");
    lignes.forEach(function (l) {
      dl.appendChild(element("dt", "", l[0]));
      dl.appendChild(element("dd", l[2] || "", Array.isArray(l[1]) ? l[1].join(", ") : String(l[1])));
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
      liste("Fiche technique", (film.tech || []).concat([["Fichier", film.f, "chemin"]])),
      paragraphe("Pièces jointes et commentaires", film.c),
      liste("Autres champs", (film.x || []).map(function (l) {
        return [l[0], l[1] === "True" ? "Oui" : l[1] === "False" ? "Non" : l[1]];
      }))
    ].forEach(function (bloc) { if (bloc) texte.appendChild(bloc); });
    corps.appendChild(texte);
    ficheContenu.appendChild(corps);
    fiche.hidden = false;
    document.body.style.overflow = "hidden";
    fiche.querySelector(".fermer").focus();
  }

  function cacher() {
    fiche.hidden = true;
    document.body.style.overflow = "";
  }

  function suivreAdresse() {
    var m = /^#film-(\d+)$/.exec(location.hash);
    var film = m && films[Number(m[1])];
    if (film) montrer(film); else cacher();
  }

  function fermer() {
    if (/^#film-/.test(location.hash)) history.replaceState(null, "", location.pathname + location.search);
    cacher();
  }

  fiche.addEventListener("click", function (e) { if (e.target.hasAttribute("data-fermer")) fermer(); });
  document.addEventListener("keydown", function (e) { if (e.key === "Escape" && !fiche.hidden) fermer(); });
  window.addEventListener("hashchange", suivreAdresse);
  recherche.addEventListener("input", appliquer);
  [tri, genre, pays].forEach(function (select) { select.addEventListener("change", appliquer); });

  appliquer();
  suivreAdresse();
  performance.measure("filmarch-page", "filmarch-debut");
})();
