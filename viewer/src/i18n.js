/* The words of the readers' side in each language the players speak: every label, tip,
 * counter, dialog, notice and screen reader text, and the book page's note for readers without
 * scripts (viewer/build.mjs writes it there in every language). The book's language setting
 * chooses the table; "Auto" (or no setting) follows the languages the reader's browser prefers.
 * Texts name their variable parts in braces: text(lang, 'pageOf', { a: 3, n: 20 }). */
var ZarvexText = (function () {
    'use strict';

    var TABLES = {
        en: {
            DoublePage: 'Two pages side by side',
            pageMissing: 'Page {n} could not be loaded.', thumbMissing: 'Unavailable',
            printWhich: 'Pages to print', printShown: 'Page on screen ({p})',
            printShownMany: 'Pages on screen ({p})', printAll: 'All pages (1-{n})', printRange: 'Pages:',
            printRangeLabel: 'Pages to print, for example 3-7',
            printError: 'Type pages between 1 and {n}, such as 3-7 or 1,4,9-12.',
            First: 'First page', Prev: 'Previous page', Next: 'Next page', Last: 'Last page',
            Content: 'Contents', notInBook: 'not in this book',
            Search: 'Search', searchField: 'Words to find', searchPrev: 'Previous match', searchNext: 'Next match',
            searchResults: 'Matches', searchBusy: 'Searching…', searchNone: 'No matches', searchAt: 'Match {i} of {n}, page {p}',
            Thumbnail: 'Thumbnails', Zoom: 'Zoom', TiltAngle: 'Tilt the book', AutoPlay: 'Auto flip',
            BackgroundSound: 'Background music', FullScreen: 'Full screen', Bookmark: 'Bookmarks',
            Share: 'Share a link to this page', Print: 'Print', Download: 'Download', Info: 'About this book',
            Help: 'Help', close: 'Close', controls: 'Book controls', pageField: 'Page number', book: 'Book',
            page: 'Page {n}', pageOf: 'Page {a} of {n}', pagesOf: 'Pages {a} and {b} of {n}',
            goToPage: 'Go to page {n}', webLink: 'Link: {href}', linkCopied: 'Link copied: {link}',
            infoTitle: 'Title', infoAuthor: 'Author', infoEmail: 'E-mail', infoWeb: 'Web site', infoAbout: 'About',
            markPage: 'Bookmark page {n}', unmarkPage: 'Remove the bookmark of page {n}',
            helpTurn: 'Arrow keys, Page Up and Page Down: turn pages',
            helpEnds: 'Home and End: first and last page',
            helpZoom: '+ and -: zoom in and out, 0: back to the whole page',
            helpWheel: 'Mouse wheel: turn pages; with Ctrl: zoom',
            helpTouch: 'Swipe or click the outer page edges to turn pages; pinch to zoom',
            helpText: 'Drag across the words of a page to select and copy them; drag from the edges or a blank part to turn it',
            helpEscape: 'Tab: move between the controls; Escape: close a panel or leave the zoom',
            helpAddress: 'Add #p= and a page number to the address to open the book at that page',
            playMovie: 'Play the movie', pageMusic: 'Page music',
            logo: 'Logo', logoLink: 'Logo (opens the web site)',
            noPages: 'This book has no pages.', cannotOpen: 'This book could not be opened: {why}.',
            flashFromDisk: 'The pages of this book are Flash files, which a browser cannot read from a folder on disk. ' +
                'Open the book through a web server to read it in full: for example run "python3 -m http.server" ' +
                'in the book\'s folder and open http://localhost:8000/ in the browser. The small page pictures are shown meanwhile.',
            pagesUnreadable: 'Some pages of this book could not be read ({why}). The small page pictures are shown instead.',
            unknownError: 'unknown error', slideShow: 'slide show',
            needsScript: 'This book needs JavaScript. Please allow scripts for this page to read it.',
        },
        de: {
            DoublePage: 'Zwei Seiten nebeneinander',
            pageMissing: 'Seite {n} konnte nicht geladen werden.', thumbMissing: 'Nicht verfügbar',
            printWhich: 'Zu druckende Seiten', printShown: 'Angezeigte Seite ({p})',
            printShownMany: 'Angezeigte Seiten ({p})', printAll: 'Alle Seiten (1-{n})',
            printRange: 'Seiten:', printRangeLabel: 'Zu druckende Seiten, zum Beispiel 3-7',
            printError: 'Geben Sie Seiten zwischen 1 und {n} ein, etwa 3-7 oder 1,4,9-12.',
            First: 'Erste Seite', Prev: 'Vorherige Seite', Next: 'Nächste Seite', Last: 'Letzte Seite',
            Content: 'Inhalt', notInBook: 'nicht in diesem Buch',
            Search: 'Suchen', searchField: 'Gesuchte Wörter', searchPrev: 'Vorheriger Treffer', searchNext: 'Nächster Treffer',
            searchResults: 'Treffer', searchBusy: 'Suche läuft…', searchNone: 'Keine Treffer', searchAt: 'Treffer {i} von {n}, Seite {p}',
            Thumbnail: 'Seitenübersicht', Zoom: 'Vergrößern', TiltAngle: 'Buch neigen', AutoPlay: 'Automatisch blättern',
            BackgroundSound: 'Hintergrundmusik', FullScreen: 'Vollbild', Bookmark: 'Lesezeichen',
            Share: 'Link zu dieser Seite teilen', Print: 'Drucken', Download: 'Herunterladen', Info: 'Über dieses Buch',
            Help: 'Hilfe', close: 'Schließen', controls: 'Buchsteuerung', pageField: 'Seitenzahl', book: 'Buch',
            page: 'Seite {n}', pageOf: 'Seite {a} von {n}', pagesOf: 'Seiten {a} und {b} von {n}',
            goToPage: 'Zu Seite {n}', webLink: 'Externer Link: {href}', linkCopied: 'Link kopiert: {link}',
            infoTitle: 'Titel', infoAuthor: 'Autor', infoEmail: 'E-Mail', infoWeb: 'Website', infoAbout: 'Beschreibung',
            markPage: 'Lesezeichen auf Seite {n} setzen', unmarkPage: 'Lesezeichen von Seite {n} entfernen',
            helpTurn: 'Pfeiltasten, Bild auf und Bild ab: umblättern',
            helpEnds: 'Pos1 und Ende: erste und letzte Seite',
            helpZoom: '+ und -: vergrößern und verkleinern, 0: wieder die ganze Seite',
            helpWheel: 'Mausrad: umblättern; mit Strg: vergrößern',
            helpTouch: 'Wischen oder auf die äußeren Seitenränder klicken: umblättern; mit zwei Fingern vergrößern',
            helpText: 'Über die Wörter einer Seite ziehen: markieren und kopieren; vom Rand oder einer leeren Stelle ziehen: umblättern',
            helpEscape: 'Tabulator: von Schaltfläche zu Schaltfläche; Esc: ein Fenster schließen oder die Vergrößerung beenden',
            helpAddress: 'Mit #p= und einer Seitenzahl am Ende der Adresse öffnet sich das Buch auf dieser Seite',
            playMovie: 'Film abspielen', pageMusic: 'Musik dieser Seite',
            logo: 'Logo', logoLink: 'Logo (öffnet die Website)',
            noPages: 'Dieses Buch hat keine Seiten.', cannotOpen: 'Dieses Buch konnte nicht geöffnet werden: {why}.',
            flashFromDisk: 'Die Seiten dieses Buchs sind Flash-Dateien, die ein Browser nicht aus einem Ordner auf der Festplatte lesen kann. ' +
                'Öffnen Sie das Buch über einen Webserver, um es vollständig zu lesen: Führen Sie zum Beispiel „python3 -m http.server“ ' +
                'im Ordner des Buchs aus und öffnen Sie http://localhost:8000/ im Browser. Bis dahin werden die kleinen Seitenbilder gezeigt.',
            pagesUnreadable: 'Einige Seiten dieses Buchs konnten nicht gelesen werden ({why}). Stattdessen werden die kleinen Seitenbilder gezeigt.',
            unknownError: 'unbekannter Fehler', slideShow: 'Diashow',
            needsScript: 'Dieses Buch braucht JavaScript. Bitte erlauben Sie Skripte für diese Seite, um es zu lesen.',
        },
        fr: {
            DoublePage: 'Deux pages côte à côte',
            pageMissing: 'La page {n} n’a pas pu être chargée.', thumbMissing: 'Indisponible',
            printWhich: 'Pages à imprimer', printShown: 'Page affichée ({p})',
            printShownMany: 'Pages affichées ({p})', printAll: 'Toutes les pages (1-{n})',
            printRange: 'Pages :', printRangeLabel: 'Pages à imprimer, par exemple 3-7',
            printError: 'Saisissez des pages entre 1 et {n}, par exemple 3-7 ou 1,4,9-12.',
            First: 'Première page', Prev: 'Page précédente', Next: 'Page suivante', Last: 'Dernière page',
            Content: 'Sommaire', notInBook: 'absent de ce livre',
            Search: 'Rechercher', searchField: 'Mots à chercher', searchPrev: 'Résultat précédent', searchNext: 'Résultat suivant',
            searchResults: 'Résultats', searchBusy: 'Recherche en cours…', searchNone: 'Aucun résultat', searchAt: 'Résultat {i} sur {n}, page {p}',
            Thumbnail: 'Miniatures', Zoom: 'Agrandir', TiltAngle: 'Incliner le livre', AutoPlay: 'Feuilletage automatique',
            BackgroundSound: 'Musique de fond', FullScreen: 'Plein écran', Bookmark: 'Signets',
            Share: 'Partager un lien vers cette page', Print: 'Imprimer', Download: 'Télécharger', Info: 'À propos de ce livre',
            Help: 'Aide', close: 'Fermer', controls: 'Commandes du livre', pageField: 'Numéro de page', book: 'Livre',
            page: 'Page {n}', pageOf: 'Page {a} sur {n}', pagesOf: 'Pages {a} et {b} sur {n}',
            goToPage: 'Aller à la page {n}', webLink: 'Lien : {href}', linkCopied: 'Lien copié : {link}',
            infoTitle: 'Titre', infoAuthor: 'Auteur', infoEmail: 'Courriel', infoWeb: 'Site web', infoAbout: 'Description',
            markPage: 'Ajouter un signet à la page {n}', unmarkPage: 'Retirer le signet de la page {n}',
            helpTurn: 'Touches fléchées, Page précédente et Page suivante : tourner les pages',
            helpEnds: 'Début et Fin : première et dernière page',
            helpZoom: '+ et - : agrandir et réduire, 0 : revenir à la page entière',
            helpWheel: 'Molette de la souris : tourner les pages ; avec Ctrl : agrandir',
            helpTouch: 'Balayez ou cliquez sur les bords extérieurs des pages pour les tourner ; pincez pour agrandir',
            helpText: 'Faites glisser sur les mots d’une page pour les sélectionner et les copier ; depuis un bord ou un blanc pour la tourner',
            helpEscape: 'Tabulation : passer d’une commande à l’autre ; Échap : fermer un panneau ou quitter l’agrandissement',
            helpAddress: 'Ajoutez #p= suivi d’un numéro de page à l’adresse pour ouvrir le livre à cette page',
            playMovie: 'Lire la vidéo', pageMusic: 'Musique de la page',
            logo: 'Logo', logoLink: 'Logo (ouvre le site web)',
            noPages: 'Ce livre n’a aucune page.', cannotOpen: 'Ce livre n’a pas pu être ouvert : {why}.',
            flashFromDisk: 'Les pages de ce livre sont des fichiers Flash, qu’un navigateur ne peut pas lire depuis un dossier du disque. ' +
                'Ouvrez le livre via un serveur web pour le lire en entier : par exemple, lancez « python3 -m http.server » ' +
                'dans le dossier du livre et ouvrez http://localhost:8000/ dans le navigateur. En attendant, les petites images des pages sont affichées.',
            pagesUnreadable: 'Certaines pages de ce livre n’ont pas pu être lues ({why}). Les petites images des pages sont affichées à la place.',
            unknownError: 'erreur inconnue', slideShow: 'diaporama',
            needsScript: 'Ce livre a besoin de JavaScript. Autorisez les scripts pour cette page afin de le lire.',
        },
        es: {
            DoublePage: 'Dos páginas una al lado de otra',
            pageMissing: 'No se pudo cargar la página {n}.', thumbMissing: 'No disponible',
            printWhich: 'Páginas que imprimir', printShown: 'Página en pantalla ({p})',
            printShownMany: 'Páginas en pantalla ({p})', printAll: 'Todas las páginas (1-{n})',
            printRange: 'Páginas:', printRangeLabel: 'Páginas que imprimir, por ejemplo 3-7',
            printError: 'Escriba páginas entre 1 y {n}, como 3-7 o 1,4,9-12.',
            First: 'Primera página', Prev: 'Página anterior', Next: 'Página siguiente', Last: 'Última página',
            Content: 'Índice', notInBook: 'no está en este libro',
            Search: 'Buscar', searchField: 'Palabras que buscar', searchPrev: 'Resultado anterior', searchNext: 'Resultado siguiente',
            searchResults: 'Resultados', searchBusy: 'Buscando…', searchNone: 'No hay resultados', searchAt: 'Resultado {i} de {n}, página {p}',
            Thumbnail: 'Miniaturas', Zoom: 'Ampliar', TiltAngle: 'Inclinar el libro', AutoPlay: 'Pasar páginas automáticamente',
            BackgroundSound: 'Música de fondo', FullScreen: 'Pantalla completa', Bookmark: 'Marcadores',
            Share: 'Compartir un enlace a esta página', Print: 'Imprimir', Download: 'Descargar', Info: 'Acerca de este libro',
            Help: 'Ayuda', close: 'Cerrar', controls: 'Controles del libro', pageField: 'Número de página', book: 'Libro',
            page: 'Página {n}', pageOf: 'Página {a} de {n}', pagesOf: 'Páginas {a} y {b} de {n}',
            goToPage: 'Ir a la página {n}', webLink: 'Enlace: {href}', linkCopied: 'Enlace copiado: {link}',
            infoTitle: 'Título', infoAuthor: 'Autor', infoEmail: 'Correo electrónico', infoWeb: 'Sitio web', infoAbout: 'Descripción',
            markPage: 'Añadir un marcador a la página {n}', unmarkPage: 'Quitar el marcador de la página {n}',
            helpTurn: 'Teclas de flecha, Re Pág y Av Pág: pasar páginas',
            helpEnds: 'Inicio y Fin: primera y última página',
            helpZoom: '+ y -: ampliar y reducir, 0: volver a la página completa',
            helpWheel: 'Rueda del ratón: pasar páginas; con Ctrl: ampliar',
            helpTouch: 'Desliza o haz clic en los bordes exteriores de las páginas para pasarlas; pellizca para ampliar',
            helpText: 'Arrastra sobre las palabras de una página para seleccionarlas y copiarlas; desde un borde o una zona en blanco para pasarla',
            helpEscape: 'Tabulador: pasar de un control a otro; Esc: cerrar un panel o salir de la ampliación',
            helpAddress: 'Añade #p= y un número de página a la dirección para abrir el libro en esa página',
            playMovie: 'Reproducir el vídeo', pageMusic: 'Música de la página',
            logo: 'Logotipo', logoLink: 'Logotipo (abre el sitio web)',
            noPages: 'Este libro no tiene páginas.', cannotOpen: 'No se ha podido abrir este libro: {why}.',
            flashFromDisk: 'Las páginas de este libro son archivos Flash, que un navegador no puede leer desde una carpeta del disco. ' +
                'Abre el libro a través de un servidor web para leerlo completo: por ejemplo, ejecuta «python3 -m http.server» ' +
                'en la carpeta del libro y abre http://localhost:8000/ en el navegador. Mientras tanto se muestran las imágenes pequeñas de las páginas.',
            pagesUnreadable: 'Algunas páginas de este libro no se han podido leer ({why}). En su lugar se muestran las imágenes pequeñas de las páginas.',
            unknownError: 'error desconocido', slideShow: 'presentación',
            needsScript: 'Este libro necesita JavaScript. Permita los scripts en esta página para leerlo.',
        },
        it: {
            DoublePage: 'Due pagine affiancate',
            pageMissing: 'Impossibile caricare la pagina {n}.', thumbMissing: 'Non disponibile',
            printWhich: 'Pagine da stampare', printShown: 'Pagina sullo schermo ({p})',
            printShownMany: 'Pagine sullo schermo ({p})', printAll: 'Tutte le pagine (1-{n})',
            printRange: 'Pagine:', printRangeLabel: 'Pagine da stampare, per esempio 3-7',
            printError: 'Inserisci pagine tra 1 e {n}, come 3-7 o 1,4,9-12.',
            First: 'Prima pagina', Prev: 'Pagina precedente', Next: 'Pagina successiva', Last: 'Ultima pagina',
            Content: 'Indice', notInBook: 'non è in questo libro',
            Search: 'Cerca', searchField: 'Parole da cercare', searchPrev: 'Risultato precedente', searchNext: 'Risultato successivo',
            searchResults: 'Risultati', searchBusy: 'Ricerca in corso…', searchNone: 'Nessun risultato', searchAt: 'Risultato {i} di {n}, pagina {p}',
            Thumbnail: 'Miniature', Zoom: 'Ingrandisci', TiltAngle: 'Inclina il libro', AutoPlay: 'Sfoglia automaticamente',
            BackgroundSound: 'Musica di sottofondo', FullScreen: 'Schermo intero', Bookmark: 'Segnalibri',
            Share: 'Condividi un link a questa pagina', Print: 'Stampa', Download: 'Scarica', Info: 'Informazioni sul libro',
            Help: 'Aiuto', close: 'Chiudi', controls: 'Comandi del libro', pageField: 'Numero di pagina', book: 'Libro',
            page: 'Pagina {n}', pageOf: 'Pagina {a} di {n}', pagesOf: 'Pagine {a} e {b} di {n}',
            goToPage: 'Vai alla pagina {n}', webLink: 'Collegamento: {href}', linkCopied: 'Link copiato: {link}',
            infoTitle: 'Titolo', infoAuthor: 'Autore', infoEmail: 'E-mail', infoWeb: 'Sito web', infoAbout: 'Descrizione',
            markPage: 'Aggiungi un segnalibro alla pagina {n}', unmarkPage: 'Rimuovi il segnalibro dalla pagina {n}',
            helpTurn: 'Tasti freccia, Pag Su e Pag Giù: sfogliare le pagine',
            helpEnds: 'Inizio e Fine: prima e ultima pagina',
            helpZoom: '+ e -: ingrandire e ridurre, 0: tornare alla pagina intera',
            helpWheel: 'Rotellina del mouse: sfogliare le pagine; con Ctrl: ingrandire',
            helpTouch: 'Scorri o fai clic sui bordi esterni delle pagine per sfogliarle; pizzica per ingrandire',
            helpText: 'Trascina sulle parole di una pagina per selezionarle e copiarle; da un bordo o da una parte vuota per sfogliarla',
            helpEscape: 'Tab: passare da un comando all’altro; Esc: chiudere un pannello o uscire dall’ingrandimento',
            helpAddress: 'Aggiungi #p= e un numero di pagina all’indirizzo per aprire il libro a quella pagina',
            playMovie: 'Riproduci il video', pageMusic: 'Musica della pagina',
            logo: 'Logo', logoLink: 'Logo (apre il sito web)',
            noPages: 'Questo libro non ha pagine.', cannotOpen: 'Impossibile aprire questo libro: {why}.',
            flashFromDisk: 'Le pagine di questo libro sono file Flash, che un browser non può leggere da una cartella sul disco. ' +
                'Apri il libro tramite un server web per leggerlo per intero: ad esempio esegui «python3 -m http.server» ' +
                'nella cartella del libro e apri http://localhost:8000/ nel browser. Nel frattempo vengono mostrate le immagini ridotte delle pagine.',
            pagesUnreadable: 'Non è stato possibile leggere alcune pagine di questo libro ({why}). Al loro posto vengono mostrate le immagini ridotte delle pagine.',
            unknownError: 'errore sconosciuto', slideShow: 'presentazione',
            needsScript: 'Questo libro richiede JavaScript. Consenti gli script per questa pagina per leggerlo.',
        },
        pt: {
            DoublePage: 'Duas páginas lado a lado',
            pageMissing: 'Não foi possível carregar a página {n}.', thumbMissing: 'Indisponível',
            printWhich: 'Páginas a imprimir', printShown: 'Página no ecrã ({p})',
            printShownMany: 'Páginas no ecrã ({p})', printAll: 'Todas as páginas (1-{n})',
            printRange: 'Páginas:', printRangeLabel: 'Páginas a imprimir, por exemplo 3-7',
            printError: 'Indique páginas entre 1 e {n}, como 3-7 ou 1,4,9-12.',
            First: 'Primeira página', Prev: 'Página anterior', Next: 'Próxima página', Last: 'Última página',
            Content: 'Sumário', notInBook: 'não está neste livro',
            Search: 'Pesquisar', searchField: 'Palavras a procurar', searchPrev: 'Resultado anterior', searchNext: 'Próximo resultado',
            searchResults: 'Resultados', searchBusy: 'Pesquisando…', searchNone: 'Nenhum resultado', searchAt: 'Resultado {i} de {n}, página {p}',
            Thumbnail: 'Miniaturas', Zoom: 'Ampliar', TiltAngle: 'Inclinar o livro', AutoPlay: 'Folhear automaticamente',
            BackgroundSound: 'Música de fundo', FullScreen: 'Tela cheia', Bookmark: 'Marcadores',
            Share: 'Compartilhar um link para esta página', Print: 'Imprimir', Download: 'Baixar', Info: 'Sobre este livro',
            Help: 'Ajuda', close: 'Fechar', controls: 'Controles do livro', pageField: 'Número da página', book: 'Livro',
            page: 'Página {n}', pageOf: 'Página {a} de {n}', pagesOf: 'Páginas {a} e {b} de {n}',
            goToPage: 'Ir para a página {n}', webLink: 'Link externo: {href}', linkCopied: 'Link copiado: {link}',
            infoTitle: 'Título', infoAuthor: 'Autor', infoEmail: 'E-mail', infoWeb: 'Site', infoAbout: 'Descrição',
            markPage: 'Marcar a página {n}', unmarkPage: 'Remover o marcador da página {n}',
            helpTurn: 'Teclas de seta, Page Up e Page Down: virar as páginas',
            helpEnds: 'Home e End: primeira e última página',
            helpZoom: '+ e -: ampliar e reduzir, 0: voltar à página inteira',
            helpWheel: 'Roda do mouse: virar as páginas; com Ctrl: ampliar',
            helpTouch: 'Deslize ou clique nas bordas externas das páginas para virá-las; faça o gesto de pinça para ampliar',
            helpText: 'Arraste sobre as palavras de uma página para selecioná-las e copiá-las; a partir de uma borda ou de um espaço vazio para virá-la',
            helpEscape: 'Tab: passar de um controle a outro; Esc: fechar um painel ou sair da ampliação',
            helpAddress: 'Acrescente #p= e um número de página ao endereço para abrir o livro nessa página',
            playMovie: 'Reproduzir o vídeo', pageMusic: 'Música da página',
            logo: 'Logotipo', logoLink: 'Logotipo (abre o site)',
            noPages: 'Este livro não tem páginas.', cannotOpen: 'Não foi possível abrir este livro: {why}.',
            flashFromDisk: 'As páginas deste livro são arquivos Flash, que um navegador não consegue ler a partir de uma pasta no disco. ' +
                'Abra o livro por meio de um servidor web para lê-lo por completo: por exemplo, execute "python3 -m http.server" ' +
                'na pasta do livro e abra http://localhost:8000/ no navegador. Enquanto isso, são mostradas as imagens pequenas das páginas.',
            pagesUnreadable: 'Algumas páginas deste livro não puderam ser lidas ({why}). Em vez delas, são mostradas as imagens pequenas das páginas.',
            unknownError: 'erro desconhecido', slideShow: 'apresentação',
            needsScript: 'Este livro precisa de JavaScript. Permita os scripts nesta página para o ler.',
        },
        nl: {
            DoublePage: 'Twee pagina’s naast elkaar',
            pageMissing: 'Pagina {n} kon niet worden geladen.', thumbMissing: 'Niet beschikbaar',
            printWhich: 'Te printen pagina’s', printShown: 'Getoonde pagina ({p})',
            printShownMany: 'Getoonde pagina’s ({p})', printAll: 'Alle pagina’s (1-{n})',
            printRange: 'Pagina’s:', printRangeLabel: 'Te printen pagina’s, bijvoorbeeld 3-7',
            printError: 'Typ pagina’s tussen 1 en {n}, zoals 3-7 of 1,4,9-12.',
            First: 'Eerste pagina', Prev: 'Vorige pagina', Next: 'Volgende pagina', Last: 'Laatste pagina',
            Content: 'Inhoud', notInBook: 'niet in dit boek',
            Search: 'Zoeken', searchField: 'Te zoeken woorden', searchPrev: 'Vorig resultaat', searchNext: 'Volgend resultaat',
            searchResults: 'Resultaten', searchBusy: 'Bezig met zoeken…', searchNone: 'Geen resultaten', searchAt: 'Resultaat {i} van {n}, pagina {p}',
            Thumbnail: 'Miniaturen', Zoom: 'Inzoomen', TiltAngle: 'Boek kantelen', AutoPlay: 'Automatisch bladeren',
            BackgroundSound: 'Achtergrondmuziek', FullScreen: 'Volledig scherm', Bookmark: 'Bladwijzers',
            Share: 'Link naar deze pagina delen', Print: 'Afdrukken', Download: 'Downloaden', Info: 'Over dit boek',
            Help: 'Hulp', close: 'Sluiten', controls: 'Boekbediening', pageField: 'Paginanummer', book: 'Boek',
            page: 'Pagina {n}', pageOf: 'Pagina {a} van {n}', pagesOf: 'Pagina’s {a} en {b} van {n}',
            goToPage: 'Naar pagina {n}', webLink: 'Externe link: {href}', linkCopied: 'Link gekopieerd: {link}',
            infoTitle: 'Titel', infoAuthor: 'Auteur', infoEmail: 'E-mail', infoWeb: 'Website', infoAbout: 'Beschrijving',
            markPage: 'Bladwijzer op pagina {n} zetten', unmarkPage: 'Bladwijzer van pagina {n} verwijderen',
            helpTurn: 'Pijltjestoetsen, Page Up en Page Down: bladeren',
            helpEnds: 'Home en End: eerste en laatste pagina',
            helpZoom: '+ en -: in- en uitzoomen, 0: terug naar de hele pagina',
            helpWheel: 'Muiswiel: bladeren; met Ctrl: zoomen',
            helpTouch: 'Veeg of klik op de buitenranden van de pagina’s om te bladeren; knijp om te zoomen',
            helpText: 'Sleep over de woorden van een pagina om ze te selecteren en te kopiëren; vanaf een rand of een lege plek om te bladeren',
            helpEscape: 'Tab: naar de volgende knop; Esc: een paneel sluiten of het zoomen beëindigen',
            helpAddress: 'Voeg #p= en een paginanummer aan het adres toe om het boek op die pagina te openen',
            playMovie: 'Film afspelen', pageMusic: 'Muziek van deze pagina',
            logo: 'Logo', logoLink: 'Logo (opent de website)',
            noPages: 'Dit boek heeft geen pagina’s.', cannotOpen: 'Dit boek kon niet worden geopend: {why}.',
            flashFromDisk: 'De pagina’s van dit boek zijn Flash-bestanden, die een browser niet uit een map op schijf kan lezen. ' +
                'Open het boek via een webserver om het volledig te lezen: voer bijvoorbeeld "python3 -m http.server" uit ' +
                'in de map van het boek en open http://localhost:8000/ in de browser. Tot die tijd worden de kleine paginaafbeeldingen getoond.',
            pagesUnreadable: 'Sommige pagina’s van dit boek konden niet worden gelezen ({why}). In plaats daarvan worden de kleine paginaafbeeldingen getoond.',
            unknownError: 'onbekende fout', slideShow: 'diavoorstelling',
            needsScript: 'Dit boek heeft JavaScript nodig. Sta scripts toe voor deze pagina om het te lezen.',
        },
        zh: {
            DoublePage: '双页并排',
            pageMissing: '无法加载第 {n} 页。', thumbMissing: '不可用', printWhich: '要打印的页面',
            printShown: '当前显示的页面（{p}）', printShownMany: '当前显示的页面（{p}）', printAll: '全部页面（1-{n}）',
            printRange: '页面：', printRangeLabel: '要打印的页面，例如 3-7',
            printError: '请输入 1 到 {n} 之间的页码，例如 3-7 或 1,4,9-12。',
            First: '第一页', Prev: '上一页', Next: '下一页', Last: '最后一页',
            Content: '目录', notInBook: '不在本书中',
            Search: '搜索', searchField: '要查找的文字', searchPrev: '上一个结果', searchNext: '下一个结果',
            searchResults: '搜索结果', searchBusy: '正在搜索…', searchNone: '没有找到结果', searchAt: '第 {i} 个结果，共 {n} 个，第 {p} 页',
            Thumbnail: '缩略图', Zoom: '缩放', TiltAngle: '倾斜书本', AutoPlay: '自动翻页',
            BackgroundSound: '背景音乐', FullScreen: '全屏', Bookmark: '书签',
            Share: '分享本页链接', Print: '打印', Download: '下载', Info: '关于本书',
            Help: '帮助', close: '关闭', controls: '书本控制', pageField: '页码', book: '书本',
            page: '第 {n} 页', pageOf: '第 {a} 页，共 {n} 页', pagesOf: '第 {a} 页和第 {b} 页，共 {n} 页',
            goToPage: '转到第 {n} 页', webLink: '链接：{href}', linkCopied: '链接已复制：{link}',
            infoTitle: '标题', infoAuthor: '作者', infoEmail: '电子邮件', infoWeb: '网站', infoAbout: '简介',
            markPage: '为第 {n} 页添加书签', unmarkPage: '移除第 {n} 页的书签',
            helpTurn: '方向键、Page Up 和 Page Down：翻页',
            helpEnds: 'Home 和 End：第一页和最后一页',
            helpZoom: '+ 和 -：放大和缩小，0：恢复整页显示',
            helpWheel: '鼠标滚轮：翻页；按住 Ctrl：缩放',
            helpTouch: '滑动或点击页面外侧边缘即可翻页；双指捏合可缩放',
            helpText: '在页面文字上拖动可选择并复制文字；从页面边缘或空白处拖动可翻页',
            helpEscape: 'Tab：在各控件之间移动；Esc：关闭面板或退出缩放',
            helpAddress: '在地址末尾加上 #p= 和页码，即可在该页打开本书',
            playMovie: '播放视频', pageMusic: '本页音乐',
            logo: '标志', logoLink: '标志（打开网站）',
            noPages: '本书没有页面。', cannotOpen: '无法打开本书：{why}。',
            flashFromDisk: '本书的页面是 Flash 文件，浏览器无法从磁盘上的文件夹中读取。请通过 Web 服务器打开本书以完整阅读：' +
                '例如在本书的文件夹中运行“python3 -m http.server”，然后在浏览器中打开 http://localhost:8000/。在此之前显示页面的小图。',
            pagesUnreadable: '本书的部分页面无法读取（{why}），改为显示页面的小图。',
            unknownError: '未知错误', slideShow: '幻灯片',
            needsScript: '本书需要 JavaScript。请允许此页面运行脚本以阅读本书。',
        },
        ja: {
            DoublePage: '見開き表示',
            pageMissing: '{n} ページを読み込めませんでした。', thumbMissing: '表示できません', printWhich: '印刷するページ',
            printShown: '表示中のページ（{p}）', printShownMany: '表示中のページ（{p}）', printAll: 'すべてのページ（1-{n}）',
            printRange: 'ページ：', printRangeLabel: '印刷するページ（例: 3-7）',
            printError: '1 から {n} までのページを入力してください（例: 3-7、1,4,9-12）。',
            First: '最初のページ', Prev: '前のページ', Next: '次のページ', Last: '最後のページ',
            Content: '目次', notInBook: 'この本にはありません',
            Search: '検索', searchField: '検索する語句', searchPrev: '前の結果', searchNext: '次の結果',
            searchResults: '検索結果', searchBusy: '検索中…', searchNone: '見つかりませんでした', searchAt: '{n} 件中 {i} 件目（{p} ページ）',
            Thumbnail: 'サムネイル', Zoom: 'ズーム', TiltAngle: '本を傾ける', AutoPlay: '自動めくり',
            BackgroundSound: 'BGM', FullScreen: '全画面表示', Bookmark: 'ブックマーク',
            Share: 'このページへのリンクを共有', Print: '印刷', Download: 'ダウンロード', Info: 'この本について',
            Help: 'ヘルプ', close: '閉じる', controls: '本の操作', pageField: 'ページ番号', book: '本',
            page: '{n} ページ', pageOf: '{a} ページ（全 {n} ページ）', pagesOf: '{a}・{b} ページ（全 {n} ページ）',
            goToPage: '{n} ページへ移動', webLink: 'リンク：{href}', linkCopied: 'リンクをコピーしました：{link}',
            infoTitle: 'タイトル', infoAuthor: '著者', infoEmail: 'メール', infoWeb: 'ウェブサイト', infoAbout: '説明',
            markPage: '{n} ページをブックマーク', unmarkPage: '{n} ページのブックマークを削除',
            helpTurn: '矢印キー、Page Up、Page Down：ページをめくる',
            helpEnds: 'Home と End：最初と最後のページ',
            helpZoom: '+ と -：拡大と縮小、0：ページ全体の表示に戻る',
            helpWheel: 'マウスホイール：ページをめくる／Ctrl を押しながら：拡大・縮小',
            helpTouch: 'スワイプするかページの外側の端をクリックしてページをめくる／ピンチで拡大・縮小',
            helpText: 'ページの文字の上をドラッグすると選択してコピーできます／端や余白からドラッグするとページをめくります',
            helpEscape: 'Tab：ボタン間を移動／Esc：パネルを閉じる、またはズームを終了',
            helpAddress: 'アドレスの末尾に #p= とページ番号を付けると、そのページから本が開きます',
            playMovie: '動画を再生', pageMusic: 'このページの音楽',
            logo: 'ロゴ', logoLink: 'ロゴ（ウェブサイトを開く）',
            noPages: 'この本にはページがありません。', cannotOpen: 'この本を開けませんでした：{why}。',
            flashFromDisk: 'この本のページは Flash ファイルで、ブラウザーはディスク上のフォルダーから読み込めません。' +
                'すべてを読むには、ウェブサーバー経由で本を開いてください。例えば本のフォルダーで「python3 -m http.server」を実行し、' +
                'ブラウザーで http://localhost:8000/ を開きます。それまではページの縮小画像を表示します。',
            pagesUnreadable: 'この本の一部のページを読み込めませんでした（{why}）。代わりにページの縮小画像を表示します。',
            unknownError: '不明なエラー', slideShow: 'スライドショー',
            needsScript: 'この本を読むには JavaScript が必要です。このページのスクリプトを許可してください。',
        },
    };
    // The names the template's language list stores, and a few common spellings of them.
    var NAMES = {
        english: 'en', german: 'de', deutsch: 'de', french: 'fr', 'français': 'fr', francais: 'fr',
        spanish: 'es', 'español': 'es', espanol: 'es', italian: 'it', italiano: 'it',
        portuguese: 'pt', 'português': 'pt', portugues: 'pt', dutch: 'nl', nederlands: 'nl',
        chinese: 'zh', '中文': 'zh', japanese: 'ja', '日本語': 'ja',
    };

    function code(name) {
        var s = String(name || '').trim().toLowerCase();
        if (NAMES[s]) return NAMES[s];
        var primary = s.split(/[-_]/)[0];
        return TABLES[primary] ? primary : '';
    }

    /* The language of the interface: the book's setting when it names one the players speak,
     * else the first of the browser's languages that they speak, else English. */
    function pick(setting, browserLanguages) {
        var chosen = code(setting);
        if (chosen) return chosen;
        var list = browserLanguages || [];
        for (var i = 0; i < list.length; i++) {
            var c = code(list[i]);
            if (c) return c;
        }
        return 'en';
    }
    function browserLanguages() {
        if (typeof navigator === 'undefined') return [];
        return navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language];
    }

    function text(lang, key, vars) {
        var table = TABLES[lang] || TABLES.en;
        var s = table[key] !== undefined ? table[key] : TABLES.en[key] !== undefined ? TABLES.en[key] : key;
        return vars ? s.replace(/\{(\w+)\}/g, function (all, name) {
            return vars[name] !== undefined ? String(vars[name]) : all;
        }) : s;
    }
    /* A function (key, vars) -> text in the language the setting and the browser choose. */
    function translator(setting) {
        var lang = pick(setting, browserLanguages());
        var t = function (key, vars) { return text(lang, key, vars); };
        t.lang = lang;
        return t;
    }

    return { pick: pick, text: text, translator: translator, languages: Object.keys(TABLES) };
})();
