// The page is opened by the program as index.html#<page>?sessionId=...&competitionId=...; its
// buttons ask the server to pass a notification to the program of that session.
'use strict';

const kNamespace = 'http://trivanta.example/Trivanta/Pentrel/';
const kService = '/TrivantaPentrel/services/UiStoreService/';

function pageParameters() {
    const hash = window.location.hash.replace(/^#/, '');
    const query = hash.indexOf('?');
    return {
        page: query < 0 ? hash : hash.substring(0, query),
        values: new URLSearchParams(query < 0 ? '' : hash.substring(query + 1)),
    };
}

function xmlText(text) {
    return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

function showStatus(text) {
    document.getElementById('status').textContent = text;
}

async function notifyProgram(sessionId, target, contextId) {
    const body = '<?xml version="1.0" encoding="UTF-8"?>' +
        '<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"><soapenv:Body>' +
        '<tvp:notifySessionClient xmlns:tvp="' + kNamespace + '">' +
        '<sessionId>' + xmlText(sessionId) + '</sessionId><client>NATIVE</client>' +
        '<abstractTarget>' + xmlText(target) + '</abstractTarget>' +
        '<contextId>' + xmlText(contextId) + '</contextId>' +
        '</tvp:notifySessionClient></soapenv:Body></soapenv:Envelope>';
    try {
        const answer = await fetch(kService, {
            method: 'POST',
            headers: {
                'Content-Type': 'text/xml; charset=utf-8',
                'SOAPAction': '"' + kNamespace + 'notifySessionClient"',
            },
            body: body,
        });
        const text = await answer.text();
        const doc = new DOMParser().parseFromString(text, 'text/xml');
        const result = doc.getElementsByTagNameNS('*', 'notifySessionClientResponse')[0];
        if (!answer.ok || !result) {
            const fault = doc.getElementsByTagName('faultstring')[0];
            showStatus('Fehler: ' + (fault ? fault.textContent : 'HTTP ' + answer.status));
        } else if (result.textContent.trim() === 'true') {
            showStatus('Benachrichtigung an das Programm gesendet.');
        } else {
            showStatus('Kein Programm mit dieser Sitzung verbunden.');
        }
    } catch (e) {
        showStatus('Fehler: ' + e);
    }
}

function start() {
    const parameters = pageParameters();
    const sessionId = parameters.values.get('sessionId') || '';
    if (!sessionId) {
        document.getElementById('session').textContent =
            'Keine Sitzung: Diese Seite wird vom Programm aus geöffnet.';
        return;
    }
    const competitionId = parameters.values.get('competitionId');
    document.getElementById('session').textContent = 'Sitzung ' + sessionId +
        (competitionId ? ', Veranstaltung ' + competitionId : '') + '.';
    const athlete = document.getElementById('athleteButton');
    const importButton = document.getElementById('importButton');
    athlete.disabled = false;
    importButton.disabled = false;
    athlete.addEventListener('click', () => notifyProgram(sessionId, 'ATHLETE_FORM', ''));
    importButton.addEventListener('click', () =>
        notifyProgram(sessionId, 'COMP_WIZARD_START', document.getElementById('contextId').value));
    if (parameters.page === 'import')
        document.getElementById('contextId').focus();
}

start();
