// The sign-ins of the top frame, run in the program's own script world: the page's scripts
// can neither see this script's state nor call it, and its listeners see what the user did
// (event.isTrusted) apart from what a script pretended. Its listeners sit on the window, in
// the capture phase, ahead of most of the page's own. It reports the logins it finds, what the
// user types into them and how they end, and fills them when the program says so.
(function () {
    'use strict';

    // A field smaller than this (in CSS pixels) is no field a user could use.
    var MinWidth = 20, MinHeight = 10;
    // Late logins are looked for this long after the load, in at most this many looks.
    var LookMs = 20000, MaxLooks = 400;
    // A password field that left the page is checked this long for the request that sent it.
    var RequestWaitMs = 5000;

    var program = null;
    var waiting = [];
    var documentId = Math.random().toString(36).slice(2) + Date.now().toString(36);
    var logins = [];
    var loginOf = new WeakMap();
    var filledOnLoad = false, chosen = false;
    var chooserLogin = null, chooserMoved = false;
    var lastRequestAt = -1;

    function send(kind, report) {
        report.kind = kind;
        report.document = documentId;
        report.origin = location.origin;
        if (program)
            program.report(report);
        else
            waiting.push(report);
    }

    new QWebChannel(qt.webChannelTransport, function (channel) {
        program = channel.objects.kestravSignIns;
        waiting.forEach(function (report) { program.report(report); });
        waiting = [];
    });

    // The requests the page sends by script, to tell a sign-in sent by fetch() from a login
    // form that merely went away.
    try {
        new PerformanceObserver(function (list) {
            list.getEntries().forEach(function (entry) {
                if (['fetch', 'xmlhttprequest', 'beacon'].indexOf(entry.initiatorType) >= 0)
                    lastRequestAt = Math.max(lastRequestAt, entry.startTime);
            });
        }).observe({ type: 'resource', buffered: true });
    } catch (e) {
    }

    function isInput(node) {
        return node instanceof HTMLInputElement;
    }
    function isPassword(node) {
        return isInput(node) && node.type === 'password';
    }
    function isText(node) {
        return isInput(node) && ['text', 'email', 'tel'].indexOf(node.type) >= 0;
    }

    // Shown, of a usable size, not transparent, not clipped away or covered, and within reach
    // of the page's scrolling.
    function visible(field) {
        if (!field.isConnected || field.getClientRects().length === 0)
            return false;
        var box = field.getBoundingClientRect();
        if (box.width < MinWidth || box.height < MinHeight)
            return false;
        var style = getComputedStyle(field);
        if (style.visibility !== 'visible' || style.clipPath !== 'none')
            return false;
        for (var node = field; node instanceof Element; node = node.parentElement) {
            var nodeStyle = node === field ? style : getComputedStyle(node);
            if (parseFloat(nodeStyle.opacity) < 0.1)
                return false;
            if (node !== field && nodeStyle.overflow !== 'visible') {
                var clip = node.getBoundingClientRect();
                var width = Math.min(box.right, clip.right) - Math.max(box.left, clip.left);
                var height = Math.min(box.bottom, clip.bottom) - Math.max(box.top, clip.top);
                if (width < MinWidth || height < MinHeight)
                    return false;
            }
        }
        var root = document.documentElement;
        var pageWidth = Math.max(root.scrollWidth, innerWidth);
        var pageHeight = Math.max(root.scrollHeight, innerHeight);
        var left = box.left + scrollX, top = box.top + scrollY;
        if (left + box.width <= 0 || top + box.height <= 0 || left >= pageWidth || top >= pageHeight)
            return false;
        // Far below or beside what is shown: pushed away, not meant to be seen.
        if (box.top > 3 * innerHeight || box.bottom < -2 * innerHeight
            || box.left > 3 * innerWidth || box.right < -2 * innerWidth)
            return false;
        // Covered by something else of the page where it is on the screen.
        var x = box.left + box.width / 2, y = box.top + box.height / 2;
        if (x >= 0 && y >= 0 && x < innerWidth && y < innerHeight) {
            var hit = document.elementFromPoint(x, y);
            var label = hit && hit.closest ? hit.closest('label') : null;
            if (hit && hit !== field && !field.contains(hit) && !(label && label.control === field))
                return false;
        }
        return true;
    }
    function enabled(field) {
        return !field.matches(':disabled') && !field.readOnly;
    }

    // Where the form sends the login: its action attribute as the browser resolves it; ""
    // for fields outside any form.
    function actionOf(form) {
        if (!form)
            return '';
        try {
            return new URL(form.getAttribute('action') || '', document.baseURI).href;
        } catch (e) {
            return 'about:invalid';
        }
    }

    // The user-name field of a password field: the last text field before it in its form
    // (or, outside forms, in the page's fields outside forms), preferring one that is shown.
    function userFieldOf(password) {
        var form = password.form;
        var fields = form ? Array.prototype.slice.call(form.elements)
                          : Array.prototype.filter.call(document.querySelectorAll('input'),
                                                         function (field) { return !field.form; });
        var shown = null, filled = null;
        for (var i = 0; i < fields.length && fields[i] !== password; ++i) {
            if (!isText(fields[i]))
                continue;
            if (visible(fields[i]))
                shown = fields[i];
            else if (fields[i].value)
                filled = fields[i];
        }
        return shown || filled;
    }

    function facts(login) {
        return {
            login: login.id,
            topFrame: window === window.top,
            visible: visible(login.password),
            enabled: enabled(login.password),
            action: actionOf(login.password.form)
        };
    }

    function register(password) {
        var known = loginOf.get(password);
        if (known)
            return known;
        var login = { id: logins.length + 1, password: password, user: userFieldOf(password),
                      typed: false, typedAt: -1, userName: '', secret: '', ended: false,
                      chosen: false };
        logins.push(login);
        loginOf.set(password, login);
        if (login.user && !loginOf.has(login.user))
            loginOf.set(login.user, login);
        return login;
    }

    // Registers the page's password fields; those new are reported.
    function findLogins() {
        var found = [];
        Array.prototype.forEach.call(document.querySelectorAll('input'), function (field) {
            if (isPassword(field) && !loginOf.has(field))
                found.push(register(field));
        });
        found.forEach(function (login) { send('found', facts(login)); });
        return found;
    }

    // Looks for logins the page makes after the load, until the first shown one appears.
    function lookForLateLogins() {
        var started = performance.now(), looks = 0, pending = false;
        var observer = new MutationObserver(function () {
            if (pending)
                return;
            pending = true;
            setTimeout(function () {
                pending = false;
                if (++looks > MaxLooks || performance.now() - started > LookMs) {
                    observer.disconnect();
                    return;
                }
                if (findLogins().some(function (login) { return visible(login.password); }))
                    observer.disconnect();
            }, 100);
        });
        observer.observe(document, { childList: true, subtree: true });
        setTimeout(function () { observer.disconnect(); }, LookMs);
    }

    // A page whose password fields are all hidden asks for the user name alone, as the
    // first step of a login.
    function anyShownPassword() {
        return logins.some(function (login) { return visible(login.password); });
    }

    function userNameOf(login) {
        return login.user ? login.user.value : '';
    }

    // A text field on a page without a password: the first step of a login, when it says so.
    function looksLikeUserName(field) {
        var hints = [field.autocomplete, field.name, field.id, field.type].join(' ');
        return /user|login|logon|email|account|identifier/i.test(hints)
            && !/search|query/i.test(hints);
    }

    window.addEventListener('input', function (event) {
        var field = event.target;
        if (!event.isTrusted || !isInput(field))
            return;
        if (chooserLogin && loginOf.get(field) === chooserLogin)
            send('chooserDone', {});
        if (isPassword(field)) {
            var login = register(field);
            login.typed = true;
            login.typedAt = performance.now();
            login.ended = false;
            login.secret = field.value;
            login.userName = userNameOf(login);
            send('typed', { userName: login.userName, password: login.secret });
            watchLeaving();
            return;
        }
        if (!isText(field))
            return;
        findLogins();
        var owner = loginOf.get(field);
        if (owner)
            owner.userName = field.value;
        if (owner && owner.typed)
            send('typed', { userName: owner.userName, password: owner.secret });
        else if (!anyShownPassword() && looksLikeUserName(field))
            send('typed', { userName: field.value, password: '' });
    }, true);

    window.addEventListener('submit', function (event) {
        var form = event.target;
        if (!(form instanceof HTMLFormElement))
            return;
        var fields = Array.prototype.slice.call(form.elements);
        var password = fields.filter(function (field) {
            return isPassword(field) && field.value;
        })[0];
        if (password) {
            var login = register(password);
            login.ended = true;
            send('submitted', { how: 'submit', userName: userNameOf(login),
                                password: password.value, typedByUser: login.typed,
                                requestSinceTyping: false });
            return;
        }
        var name = fields.filter(function (field) {
            return isText(field) && field.value && looksLikeUserName(field);
        })[0];
        if (name && !anyShownPassword())
            send('submitted', { how: 'submit', userName: name.value, password: '',
                                typedByUser: true, requestSinceTyping: false });
    }, true);

    // A typed password whose field goes away (removed or hidden) after the page sent a
    // request: a sign-in done by script.
    var leaving = null, leavingPending = false;
    function watchLeaving() {
        if (leaving)
            return;
        leaving = new MutationObserver(function () {
            if (leavingPending)
                return;
            leavingPending = true;
            setTimeout(function () {
                leavingPending = false;
                logins.forEach(checkLeft);
            }, 200);
        });
        leaving.observe(document, { childList: true, subtree: true, attributes: true,
                                    attributeFilter: ['style', 'class', 'hidden'] });
    }
    function checkLeft(login) {
        if (!login.typed || login.ended || !login.secret)
            return;
        var field = login.password;
        if (field.isConnected && field.getClientRects().length
            && getComputedStyle(field).visibility === 'visible')
            return;
        login.ended = true;
        var report = function (request) {
            send('submitted', { how: 'left', userName: login.userName, password: login.secret,
                                typedByUser: true, requestSinceTyping: request });
        };
        var since = login.typedAt, waited = 0;
        var look = function () {
            if (lastRequestAt >= since)
                return report(true);
            waited += 250;
            if (waited > RequestWaitMs)
                return report(false);
            setTimeout(look, 250);
        };
        look();
    }

    // The chooser: a click or the focus in a login's field asks for it. The focus that comes
    // back with the window (after the keyring's prompt, say), or to a login the user has
    // filled already, does not.
    var windowFocusAt = -Infinity;
    window.addEventListener('focus', function (event) {
        if (event.target === window)
            windowFocusAt = performance.now();
    }, true);
    function wantChooser(event) {
        var field = event.target;
        if (!event.isTrusted || !(isPassword(field) || isText(field)))
            return;
        findLogins();
        var login = loginOf.get(field);
        if (!login || (event.type === 'focusin'
                       && (login.chosen || performance.now() - windowFocusAt < 100)))
            return;
        var report = facts(login);
        // Where the field the user is in stands, and whether it is shown.
        var box = field.getBoundingClientRect();
        report.x = box.left;
        report.y = box.top;
        report.width = box.width;
        report.height = box.height;
        report.visible = report.visible && visible(field);
        report.enabled = report.enabled && enabled(field);
        send('chooser', report);
    }
    window.addEventListener('focusin', wantChooser, true);
    window.addEventListener('click', wantChooser, true);
    window.addEventListener('focusout', function (event) {
        if (chooserLogin && loginOf.get(event.target) === chooserLogin)
            send('chooserDone', {});
    }, true);
    window.addEventListener('scroll', function () {
        if (chooserLogin)
            send('chooserDone', {});
    }, true);
    window.addEventListener('keydown', function (event) {
        if (!event.isTrusted || !chooserLogin || loginOf.get(event.target) !== chooserLogin)
            return;
        var keys = { ArrowDown: 'Down', ArrowUp: 'Up', Enter: 'Enter', Escape: 'Escape' };
        var key = keys[event.key];
        if (!key)
            return;
        // Enter belongs to the chooser only once a name was picked with the arrows.
        if (key === 'Enter' && !chooserMoved)
            return;
        if (key === 'Up' || key === 'Down')
            chooserMoved = true;
        event.preventDefault();
        event.stopPropagation();
        send('key', { key: key });
    }, true);

    function put(field, value) {
        field.value = value;
        field.dispatchEvent(new Event('input', { bubbles: true }));
        field.dispatchEvent(new Event('change', { bubbles: true }));
    }

    // The program's calls, reachable from its own script world only.
    window.kestravSignIns = {
        fill: function (id, login, userName, secret, byChoice) {
            if (id !== documentId || !logins[login - 1])
                return 'other document';
            var target = logins[login - 1];
            // A fill on load comes once, and never over what the user has begun.
            if (!byChoice && (filledOnLoad || chosen || target.typed || target.password.value))
                return 'filled before';
            if (byChoice)
                chosen = target.chosen = true;
            else
                filledOnLoad = true;
            var filled = [];
            if (target.user && visible(target.user) && enabled(target.user)) {
                put(target.user, userName);
                filled.push('user');
            }
            if (visible(target.password) && enabled(target.password)) {
                put(target.password, secret);
                filled.push('password');
            }
            return filled.join(' ');
        },
        chooserShown: function (id, login, shown) {
            if (id !== documentId)
                return;
            chooserLogin = shown ? logins[login - 1] || null : null;
            chooserMoved = false;
        }
    };

    findLogins();
    if (!anyShownPassword())
        lookForLateLogins();
})();
