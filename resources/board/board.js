// The shop-floor board's page: one WebSocket to the server that serves it, a snapshot on
// every (re)connect, then one message per change. Everything the server sends is shown
// through textContent, never parsed as markup: machine and part names come from the floor.
"use strict";

(function () {
    const FIRST_RETRY_MS = 1000;
    // A TV left on over a weekend while the PC is off must not hammer it, nor wait long
    // once it is back.
    const LAST_RETRY_MS = 30000;

    const board = document.getElementById("board");
    const hub = document.getElementById("hub");
    const clock = document.getElementById("clock");
    const heading = document.getElementById("title");

    // id -> every tile of that machine: the list may name a machine twice.
    let tiles = new Map();
    let offsetMs = 0;  // server clock minus ours, from the last message's server_time
    let retryMs = FIRST_RETRY_MS;

    function element(tag, className, text) {
        const node = document.createElement(tag);
        if (className) node.className = className;
        if (text !== undefined && text !== null) node.textContent = String(text);
        return node;
    }

    function twoDigits(n) {
        return n < 10 ? "0" + n : String(n);
    }

    // HH:MM:SS as the program's own views show a duration; hours run past 24.
    function duration(ms) {
        const seconds = Math.max(0, Math.floor(ms / 1000));
        return twoDigits(Math.floor(seconds / 3600)) + ":" +
            twoDigits(Math.floor(seconds / 60) % 60) + ":" + twoDigits(seconds % 60);
    }

    function serverNow() {
        return Date.now() + offsetMs;
    }

    function takeServerTime(message) {
        const at = Date.parse(message.server_time);
        if (!Number.isNaN(at)) offsetMs = at - Date.now();
    }

    // What a band means depends on the figure: a slow cycle and a low OEE are the bad
    // sides, a fast cycle is worth a look (a skipped operation) but not an alarm.
    const CYCLE_CHIPS = { below: "warn", within: "", above: "bad" };
    const OEE_CHIPS = { below: "bad", within: "", above: "good" };

    function chip(text, band, meanings) {
        const span = element("span", "chip", text);
        const meaning = meanings[band];
        if (meaning) span.classList.add(meaning);
        if (band) span.title = band;
        return span;
    }

    function stationNode(station, oeeBand, rateMode) {
        const node = element("div", "station");
        const part = station.part_number ? "P/N " + station.part_number : "No part number";
        node.append(element("div", "part", part));
        node.append(element("div", "counts", (station.good ?? 0) + " / " + (station.total ?? 0)));
        const cycle = element("div", "cycle");
        if (station.last_cycle) {
            const text = rateMode ? station.last_cycle + " /min" : station.last_cycle;
            cycle.append(chip(text, station.cycle_band, CYCLE_CHIPS));
        }
        node.append(cycle);
        const oee = element("div", "oee");
        if (typeof station.oee === "number")
            oee.append(chip("OEE " + Math.round(station.oee) + " %", oeeBand, OEE_CHIPS));
        node.append(oee);
        return node;
    }

    function tileNode(tile) {
        const node = element("article", "tile");
        node.dataset.id = tile.id;
        const name = element("h3", "name");
        if (typeof tile.number === "number") name.append(element("span", "number", "#" + tile.number));
        name.append(element("span", "machine", tile.machine));
        node.append(name);
        if (!tile.known) {
            node.classList.add("unknown");
            node.append(element("div", "status", "No record yet"));
            return node;
        }
        if (tile.colors) {
            node.style.backgroundColor = tile.colors.background;
            node.style.color = tile.colors.text;
        }
        node.classList.toggle("alert", Boolean(tile.alert));
        node.classList.toggle("stale", Boolean(tile.stale));
        if (tile.stale) name.append(element("span", "flag", "NO DATA"));
        const status = element("div", "status");
        status.append(element("span", "", tile.status));
        const since = element("time", "since");
        const sinceMs = tile.status_since ? Date.parse(tile.status_since) : NaN;
        if (!Number.isNaN(sinceMs)) {
            since.dataset.since = String(sinceMs);
            since.textContent = duration(serverNow() - sinceMs);
        }
        status.append(since);
        node.append(status);
        for (const station of tile.stations || []) node.append(stationNode(station, tile.oee_band, tile.rate_mode));
        return node;
    }

    function showHub(connected) {
        hub.className = "hub " + (connected ? "connected" : "lost");
        hub.textContent = connected ? "Hub connected" : "No data from the hub";
    }

    function applySnapshot(message) {
        const title = message.title || "Shop floor";
        heading.textContent = title;
        document.title = title;
        showHub(Boolean(message.hub && message.hub.connected));
        tiles = new Map();
        const nodes = [];
        for (const row of message.rows || []) {
            if (row.type === "title") {
                const level = row.level === "sub" ? "sub" : "main";
                nodes.push(element(level === "main" ? "h2" : "h3", "section " + level, row.text));
            } else if (row.type === "machine") {
                const node = tileNode(row);
                tiles.set(row.id, (tiles.get(row.id) || []).concat(node));
                nodes.push(node);
            }
        }
        if (tiles.size === 0)
            nodes.push(element("p", "empty", "No machines on the monitoring list"));
        board.replaceChildren(...nodes);
    }

    function applyMachine(message) {
        // A machine the last snapshot did not list has no place on the page; the board
        // sends a new snapshot when it adds one.
        const old = tiles.get(message.id) || [];
        tiles.set(message.id, old.map(function (node) {
            const fresh = tileNode(message);
            node.replaceWith(fresh);
            return fresh;
        }));
    }

    function receive(event) {
        let message;
        try {
            message = JSON.parse(event.data);
        } catch (e) {
            return;
        }
        // Changes that came close together arrive as one array, in order.
        for (const one of Array.isArray(message) ? message : [message]) {
            takeServerTime(one);
            if (one.type === "snapshot") applySnapshot(one);
            else if (one.type === "machine") applyMachine(one);
            else if (one.type === "hub") showHub(Boolean(one.connected));
        }
        tick();
    }

    function tick() {
        const now = serverNow();
        for (const since of board.querySelectorAll("time.since[data-since]"))
            since.textContent = duration(now - Number(since.dataset.since));
        clock.textContent = new Date(now).toLocaleTimeString([], { hour12: false });
    }

    function connect() {
        const scheme = location.protocol === "https:" ? "wss://" : "ws://";
        const socket = new WebSocket(scheme + location.host + "/ws");
        socket.addEventListener("open", function () {
            retryMs = FIRST_RETRY_MS;
            board.classList.remove("offline");
        });
        socket.addEventListener("message", receive);
        socket.addEventListener("close", function () {
            // Until the fresh snapshot arrives, what is on the page may be out of date.
            board.classList.add("offline");
            hub.className = "hub waiting";
            hub.textContent = "Reconnecting\u2026";
            setTimeout(connect, retryMs);
            retryMs = Math.min(retryMs * 2, LAST_RETRY_MS);
        });
    }

    setInterval(tick, 1000);
    connect();
})();
